# bench_bridge: the MQTT bridge against a real mosquitto, where the bridge is
# built and the broker is installed.
get_property(RQ30_BRIDGE GLOBAL PROPERTY RQ30_BRIDGE)
find_program(RQ30_MOSQUITTO_BROKER mosquitto PATHS /usr/sbin /usr/local/sbin)
if(RQ30_BRIDGE AND RQ30_MOSQUITTO_BROKER AND TARGET rq30_testing)
  find_package(PkgConfig QUIET)
  pkg_check_modules(BENCH_MOSQUITTO QUIET IMPORTED_TARGET libmosquitto)
  add_executable(bench_bridge bench_bridge.cpp)
  target_link_libraries(bench_bridge PRIVATE rq30_testing PkgConfig::BENCH_MOSQUITTO)
  target_compile_definitions(bench_bridge PRIVATE
    RQ30CTL_PATH="$<TARGET_FILE:rq30ctl>"
    MOSQUITTO_BROKER="${RQ30_MOSQUITTO_BROKER}")
  add_dependencies(bench_bridge rq30ctl)
endif()

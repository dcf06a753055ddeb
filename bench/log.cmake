if(NOT WIN32)
  add_executable(bench_log bench_log.cpp)
  target_link_libraries(bench_log PRIVATE rq30_common)
endif()

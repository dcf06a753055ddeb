if(NOT WIN32 AND TARGET rq30_testing)
  add_executable(bench_link bench_link.cpp)
  target_link_libraries(bench_link PRIVATE rq30_testing)
endif()

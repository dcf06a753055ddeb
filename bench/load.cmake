if(NOT WIN32 AND TARGET rq30_params AND TARGET rq30_testing)
  add_executable(bench_load bench_load.cpp)
  target_link_libraries(bench_load PRIVATE rq30_params rq30_testing)
endif()

if(NOT WIN32 AND TARGET rq30_mainwindow AND TARGET rq30_testing)
  add_executable(bench_startup bench_startup.cpp)
  target_link_libraries(bench_startup PRIVATE rq30_mainwindow rq30_testing)
endif()

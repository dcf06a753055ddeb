# bench_chart: our chart painting 100,000 points against QCustomPlot 2.1
# (Debian: libqcustomplot-dev), which is only a yardstick here and never a
# dependency of the program. Without it the benchmark is left out.
find_path(RQ30_QCUSTOMPLOT_INCLUDE_DIR qcustomplot.h)
find_library(RQ30_QCUSTOMPLOT_QT6_LIBRARY NAMES QCustomPlotQt6 qcustomplot-qt6)
find_package(Qt6 QUIET COMPONENTS PrintSupport)
if(RQ30_QCUSTOMPLOT_INCLUDE_DIR AND RQ30_QCUSTOMPLOT_QT6_LIBRARY AND TARGET Qt6::PrintSupport
   AND TARGET rq30_chartparts)
  add_executable(bench_chart ${CMAKE_CURRENT_LIST_DIR}/bench_chart.cpp)
  target_include_directories(bench_chart PRIVATE ${RQ30_QCUSTOMPLOT_INCLUDE_DIR})
  target_compile_definitions(bench_chart PRIVATE QCUSTOMPLOT_USE_LIBRARY)
  target_link_libraries(bench_chart PRIVATE rq30_chartparts rq30_chart
    ${RQ30_QCUSTOMPLOT_QT6_LIBRARY} Qt6::PrintSupport Qt6::Widgets)
else()
  message(STATUS "bench_chart left out: QCustomPlot for Qt 6 not found (libqcustomplot-dev)")
endif()

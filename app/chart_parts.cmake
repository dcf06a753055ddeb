# The main window's live chart parts: the live series (point limit, sample
# numbers, pen colour, look), the demo data generator and the chart settings
# dialog "GRAF 3D". Included from app/CMakeLists.txt; paths are relative to
# this file so it works from any including folder.
add_library(rq30_chartparts STATIC
  ${CMAKE_CURRENT_LIST_DIR}/live_series.cpp
  ${CMAKE_CURRENT_LIST_DIR}/live_series.h
  ${CMAKE_CURRENT_LIST_DIR}/demo_data.cpp
  ${CMAKE_CURRENT_LIST_DIR}/demo_data.h
  ${CMAKE_CURRENT_LIST_DIR}/rotace_3d.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rotace_3d.h
  ${CMAKE_CURRENT_LIST_DIR}/rotace_3d.ui)
target_include_directories(rq30_chartparts PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(rq30_chartparts PUBLIC rq30_chart rq30_common_qt rq30_common Qt6::Widgets)

if(RQ30_WITH_TESTS)
  foreach(name chart_live_tests chart_dialog_tests)
    add_executable(${name} ${CMAKE_CURRENT_LIST_DIR}/tests/${name}.cpp)
    target_link_libraries(${name} PRIVATE rq30_chartparts Qt6::Test)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 120 ENVIRONMENT "${RQ30_TEST_ENV}")
  endforeach()
endif()

# The recording-rate dialog "Rychlost záznamu" (Tform_zaznam) and its tests.
# Included from app/CMakeLists.txt; paths are relative to this file so it
# works from any including folder.
add_library(rq30_ratedialog STATIC
  ${CMAKE_CURRENT_LIST_DIR}/rychlostzaznamu.cpp
  ${CMAKE_CURRENT_LIST_DIR}/rychlostzaznamu.h
  ${CMAKE_CURRENT_LIST_DIR}/rychlostzaznamu.ui)
target_include_directories(rq30_ratedialog PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(rq30_ratedialog PUBLIC rq30_common_qt rq30_common Qt6::Widgets)

if(RQ30_WITH_TESTS)
  add_executable(rate_dialog_tests ${CMAKE_CURRENT_LIST_DIR}/tests/rate_dialog_tests.cpp)
  target_link_libraries(rate_dialog_tests PRIVATE rq30_ratedialog Qt6::Test)
  add_test(NAME rate_dialog_tests COMMAND rate_dialog_tests)
  set_tests_properties(rate_dialog_tests PROPERTIES TIMEOUT 60 ENVIRONMENT "${RQ30_TEST_ENV}")
endif()

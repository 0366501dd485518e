# The common main of the test programs, which knows the build's folders.
add_library(orvex_test_main STATIC ${PROJECT_SOURCE_DIR}/tests/support/test_main.cpp)
target_link_libraries(orvex_test_main PUBLIC GTest::gtest GTest::gmock)
target_compile_definitions(orvex_test_main PUBLIC
  ORVEX_TEST_BIN_DIR="${ORVEX_OUTPUT_DIR}" ORVEX_TEST_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
target_include_directories(orvex_test_main PUBLIC ${PROJECT_SOURCE_DIR}/tests/support)

# orvex_add_test(NAME name SOURCES ... LIBS ...)
# One GoogleTest executable; its cases are registered with CTest one by one.
function(orvex_add_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} orvex_test_main)
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${T_NAME} DISCOVERY_MODE PRE_TEST)
endfunction()

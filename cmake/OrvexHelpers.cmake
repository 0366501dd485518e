# orvex_add_test(NAME name SOURCES ... LIBS ...)
# One GoogleTest executable; its cases are registered with CTest one by one.
function(orvex_add_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${T_NAME} DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "ORVEX_BIN_DIR=${ORVEX_OUTPUT_DIR};ORVEX_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()

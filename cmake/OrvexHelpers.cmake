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

# orvex_add_python_test(NAME test.name SCRIPT file.py DEPENDS targets... [ENV VAR=value...])
# A Python client run by ctest. It loads our shared libraries into the
# interpreter: with the sanitizers on, their runtimes are preloaded and the
# interpreter's own allocations are not checked for leaks.
function(orvex_add_python_test)
  cmake_parse_arguments(T "" "NAME;SCRIPT" "DEPENDS;ENV" ${ARGN})
  set(env "ORVEX_BIN_DIR=${ORVEX_OUTPUT_DIR}" "ORVEX_SOURCE_DIR=${PROJECT_SOURCE_DIR}" ${T_ENV})
  if(ORVEX_SANITIZE)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libasan.so
      OUTPUT_VARIABLE asan_runtime OUTPUT_STRIP_TRAILING_WHITESPACE)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libubsan.so
      OUTPUT_VARIABLE ubsan_runtime OUTPUT_STRIP_TRAILING_WHITESPACE)
    list(APPEND env "LD_PRELOAD=${asan_runtime}:${ubsan_runtime}" "ASAN_OPTIONS=detect_leaks=0")
  endif()
  add_test(NAME ${T_NAME} COMMAND ${ORVEX_PYTHON3} ${T_SCRIPT})
  set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "${env}")
  # The libraries it loads, which no test executable depends on, are built with the rest.
  string(REPLACE "." "_" deps_target "${T_NAME}_deps")
  add_custom_target(${deps_target} ALL DEPENDS ${T_DEPENDS})
endfunction()

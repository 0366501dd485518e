# The component layer: registration, regsvr32, creation, late-bound calls and
# the C interface, driven through a small probe component library.
add_library(component_probe SHARED component_probe.cpp)
target_link_libraries(component_probe PRIVATE orvex_components orvex_platform)
set_target_properties(component_probe PROPERTIES
  CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)

orvex_add_test(NAME component_tests
  SOURCES component_test.cpp component_registry_test.cpp
  LIBS orvex_components orvex_platform)
target_compile_definitions(component_tests PRIVATE
  COMPONENT_PROBE_PATH="$<TARGET_FILE:component_probe>")
add_dependencies(component_tests component_probe regsvr32)

# Fixture libraries for the registry tests (each misbehaves in one way), and the core of
# the Corvel plug-ins compiled into the test program so its generator can be checked.
set(KV_FIXTURE_PLUGIN_DIR ${CMAKE_CURRENT_BINARY_DIR}/plugins/fixtures)
foreach(variant MISSING_EXPORT PARTIAL_INFO LONG_NAMES)
  string(TOLOWER ${variant} lower)
  set(fixture kv_fixture_${lower})
  add_library(${fixture} MODULE ${CMAKE_CURRENT_LIST_DIR}/fixture/TestSource.cpp)
  target_include_directories(${fixture} PRIVATE ${PROJECT_SOURCE_DIR}/src)
  target_compile_definitions(${fixture} PRIVATE KV_FIXTURE_${variant}=1)
  target_compile_options(${fixture} PRIVATE -fvisibility=hidden)
  set_target_properties(${fixture} PROPERTIES PREFIX "" LIBRARY_OUTPUT_DIRECTORY ${KV_FIXTURE_PLUGIN_DIR})
  add_dependencies(kv_plugins_tests ${fixture})
endforeach()
target_compile_definitions(kv_plugins_tests PRIVATE KV_FIXTURE_PLUGIN_DIR="${KV_FIXTURE_PLUGIN_DIR}")

set(KV_CORVEL_CORE ${PROJECT_SOURCE_DIR}/src/plugins/noise/CorvelNoise.cpp)
target_sources(kv_plugins_tests PRIVATE ${KV_CORVEL_CORE})
target_include_directories(kv_plugins_tests PRIVATE ${PROJECT_SOURCE_DIR}/src/plugins/noise)
set_source_files_properties(${KV_CORVEL_CORE} TARGET_DIRECTORY kv_plugins_tests
  PROPERTIES COMPILE_OPTIONS "-frounding-math;-ffp-contract=off")

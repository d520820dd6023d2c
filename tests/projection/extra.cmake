# The projection tests compare the built-in projections with PROJ.
find_package(PkgConfig REQUIRED)
pkg_check_modules(PROJ REQUIRED IMPORTED_TARGET proj)
target_link_libraries(kv_projection_tests PRIVATE PkgConfig::PROJ)

# Projection plug-ins for the registry tests, one library per variant, in one folder.
set(KV_TEST_PROJECTION_PLUGINS ${CMAKE_CURRENT_BINARY_DIR}/projection/plugins)
foreach(variant IN ITEMS "Good;42;" "Duplicate;6;" "OutOfRange;300;" "NoClass;43;TEST_NO_CLASS_EXPORT"
                         "NullCreator;44;TEST_NULL_CREATOR")
  list(GET variant 0 name)
  list(GET variant 1 id)
  list(GET variant 2 flag)
  set(tgt TestProjection${name})
  # The plug-in carries its own copy of the projection base, as an outside library would.
  add_library(${tgt} MODULE ${CMAKE_CURRENT_LIST_DIR}/plugin/TestProjectionPlugin.cpp
                            ${PROJECT_SOURCE_DIR}/src/projection/MapProject.cpp)
  target_include_directories(${tgt} PRIVATE ${PROJECT_SOURCE_DIR}/src)
  target_compile_definitions(${tgt} PRIVATE TEST_PROJECTION_ID=${id} ${flag})
  set_target_properties(${tgt} PROPERTIES PREFIX "" LIBRARY_OUTPUT_DIRECTORY ${KV_TEST_PROJECTION_PLUGINS}
                                          CXX_VISIBILITY_PRESET hidden)
  add_dependencies(kv_projection_tests ${tgt})
endforeach()
target_compile_definitions(kv_projection_tests PRIVATE KV_TEST_PROJECTION_PLUGINS="${KV_TEST_PROJECTION_PLUGINS}")

# The projection tests compare the built-in projections with PROJ.
find_package(PkgConfig REQUIRED)
pkg_check_modules(PROJ REQUIRED IMPORTED_TARGET proj)
target_link_libraries(kv_projection_tests PRIVATE PkgConfig::PROJ)

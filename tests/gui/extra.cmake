# The batch-run tests start the program itself.
target_compile_definitions(kv_gui_tests PRIVATE KV_PROGRAM="$<TARGET_FILE:KV>" KV_PLUGINS="${KV_PLUGIN_DIR}")
add_dependencies(kv_gui_tests KV)
# Keys and clicks through the window system's path (shortcut map included).
find_package(Qt6 REQUIRED COMPONENTS Test)
target_link_libraries(kv_gui_tests PRIVATE Qt6::Test)

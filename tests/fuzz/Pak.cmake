# Feeds verify random archives, and the output-path rule random names.
add_executable(fuzz_verify ${CMAKE_CURRENT_LIST_DIR}/FuzzVerify.cpp)
target_link_libraries(fuzz_verify PRIVATE zorvak_core)
target_link_options(fuzz_verify PRIVATE -fsanitize=fuzzer)

add_executable(fuzz_entry_path ${CMAKE_CURRENT_LIST_DIR}/FuzzEntryPath.cpp)
target_link_libraries(fuzz_entry_path PRIVATE zorvak_core)
target_link_options(fuzz_entry_path PRIVATE -fsanitize=fuzzer)

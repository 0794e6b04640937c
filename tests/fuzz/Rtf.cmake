# Feeds the rich-text reader random input (clang, libFuzzer). The reader
# lives with the windows' sources; a build without windows still has to
# give it to the core.
if(NOT ZORVAK_BUILD_UI)
  target_sources(zorvak_core PRIVATE ${PROJECT_SOURCE_DIR}/windows/RtfParser.cpp)
endif()
add_executable(fuzz_rtf ${CMAKE_CURRENT_LIST_DIR}/FuzzRtf.cpp)
target_link_libraries(fuzz_rtf PRIVATE zorvak_core)
target_link_options(fuzz_rtf PRIVATE -fsanitize=fuzzer)

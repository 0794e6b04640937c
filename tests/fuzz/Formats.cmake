# One target per decoder of the formats; fuzz_NAME reads tests/fuzz/NAME_corpus.
# fuzz_entry feeds the classifier, the descriptions and the picture
# extraction, and so the text kind, which has no decoder of its own.
foreach(_format lmp wad2 bsp mdl spr pcx wave png entry)
  add_executable(fuzz_${_format} ${CMAKE_CURRENT_LIST_DIR}/FuzzFormats.cpp)
  target_compile_definitions(fuzz_${_format} PRIVATE ZORVAK_FUZZ_FORMAT="${_format}")
  target_link_libraries(fuzz_${_format} PRIVATE zorvak_core)
  target_link_options(fuzz_${_format} PRIVATE -fsanitize=fuzzer)
endforeach()

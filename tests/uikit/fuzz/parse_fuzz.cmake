# libFuzzer targets for the parsing layer (Linux, clang). Configure a build
# of its own: CC=clang-14 CXX=clang++-14 cmake -DQUILLON_FUZZ=ON
# -DQUILLON_SANITIZE=address ...; run e.g.
#   build/fuzz/tests/fuzz/skinui_fuzz_markup -jobs=1 -max_total_time=240 \
#       CORPUS_DIR tests/uikit/corpus/markup
target_compile_options(skinui_parse PRIVATE -fsanitize=fuzzer-no-link)
foreach(kind markup package values descriptor)
  add_executable(skinui_fuzz_${kind} ${CMAKE_CURRENT_LIST_DIR}/fuzz_${kind}.cpp)
  target_compile_options(skinui_fuzz_${kind} PRIVATE -fsanitize=fuzzer)
  target_link_options(skinui_fuzz_${kind} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(skinui_fuzz_${kind} PRIVATE skinui_parse)
  set_target_properties(skinui_fuzz_${kind} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/fuzz)
endforeach()

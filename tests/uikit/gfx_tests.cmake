# Tests of skinui_gfx.

# The PNG corpus is compiled into the test, so it replays alike on Linux and
# under Wine without any path mapping.
file(GLOB SKINUI_PNG_CORPUS CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/png/*.png)
set(SKINUI_PNG_CORPUS_CPP ${CMAKE_CURRENT_BINARY_DIR}/png_corpus.cpp)
set(corpus_text "// Generated from tests/uikit/corpus/png.\n#include \"png_corpus.h\"\n")
string(APPEND corpus_text "namespace skinui_test {\nconst std::vector<CorpusFile>& PngCorpus() {\n  static const std::vector<CorpusFile> files = {\n")
foreach(file IN LISTS SKINUI_PNG_CORPUS)
  get_filename_component(name ${file} NAME)
  file(READ ${file} hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" escaped "${hex}")
  string(APPEND corpus_text "    {\"${name}\", std::string(\"${escaped}\", sizeof(\"${escaped}\") - 1)},\n")
endforeach()
string(APPEND corpus_text "  };\n  return files;\n}\n}  // namespace skinui_test\n")
file(CONFIGURE OUTPUT ${SKINUI_PNG_CORPUS_CPP} CONTENT "${corpus_text}" @ONLY)

add_library(skinui_gfx_scene STATIC gfx_scene.cpp)
target_link_libraries(skinui_gfx_scene PUBLIC skinui_gfx)
target_include_directories(skinui_gfx_scene PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})

quillon_add_test(skinui_gfx_test
  SOURCES surface_test.cpp image_draw_test.cpp png_test.cpp text_test.cpp region_rows_test.cpp ${SKINUI_PNG_CORPUS_CPP}
  LIBS skinui_gfx skinui_gfx_scene)

# A look at what the layer draws: skinui_gfx_sample OUT.png
add_executable(skinui_gfx_sample gfx_sample.cpp)
target_link_libraries(skinui_gfx_sample PRIVATE skinui_gfx_scene)
set_target_properties(skinui_gfx_sample PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)

# libFuzzer target for the PNG decoder (Linux, clang).
if(QUILLON_FUZZ AND NOT WIN32)
  # Coverage feedback from the decoder's own code as well.
  target_compile_options(skinui_gfx PRIVATE -fsanitize=fuzzer-no-link)
  add_executable(png_fuzz fuzz/png_fuzz.cpp)
  target_link_libraries(png_fuzz PRIVATE skinui_gfx)
  target_compile_options(png_fuzz PRIVATE -fsanitize=fuzzer)
  target_link_options(png_fuzz PRIVATE -fsanitize=fuzzer)
  set_target_properties(png_fuzz PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
endif()

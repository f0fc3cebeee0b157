# Tests of skinui_parse. Fixture archives are packed by the host's 7-Zip at
# build time, from tests/uikit/data and from large files written here.
set(parse_fixtures ${CMAKE_CURRENT_BINARY_DIR}/parse_fixtures)
set(parse_data ${CMAKE_CURRENT_SOURCE_DIR}/data)

# Entries at and just over the 4 MiB entry limit, and a tree that unpacks to
# more than the package limit; written once, they compress to almost nothing.
set(large_dir ${parse_fixtures}/large_tree)
set(huge_dir ${parse_fixtures}/huge_tree)
if(NOT EXISTS ${large_dir}/over.bin)
  string(REPEAT "q" 4194304 four_mib)
  file(WRITE ${large_dir}/limit.bin "${four_mib}")
  file(WRITE ${large_dir}/over.bin "${four_mib}q")
endif()
if(NOT EXISTS ${huge_dir}/c.bin)
  string(REPEAT "z" 4194304 four_mib)
  string(REPEAT "${four_mib}" 6 chunk)  # 24 MiB
  foreach(part a b c)
    file(WRITE ${huge_dir}/${part}.bin "${chunk}")
  endforeach()
endif()

set(parse_archives
  ${parse_fixtures}/skin.7z ${parse_fixtures}/large.7z ${parse_fixtures}/huge.7z
  ${parse_fixtures}/encrypted.7z ${parse_fixtures}/encrypted_headers.7z ${parse_fixtures}/ppmd_greedy.7z
  ${parse_fixtures}/copy.7z)
skinui_pack_skin(${parse_fixtures}/skin.7z ${parse_data}/skin)
skinui_pack_skin(${parse_fixtures}/large.7z ${large_dir} -m0=lzma2 -mx=1 -ms=on -mmt=1)
skinui_pack_skin(${parse_fixtures}/huge.7z ${huge_dir} -m0=lzma2 -mx=1 -ms=on -mmt=1)
skinui_pack_skin(${parse_fixtures}/encrypted.7z ${parse_data}/skin -m0=lzma2 -mmt=1 -pSecret)
skinui_pack_skin(${parse_fixtures}/encrypted_headers.7z ${parse_data}/skin -m0=lzma2 -mmt=1 -pSecret -mhe=on)
# A PPMd model of 256 MiB: the decoder's allocation must be refused.
skinui_pack_skin(${parse_fixtures}/ppmd_greedy.7z ${parse_data}/skin -m0=PPMd:mem=28 -mmt=1)
skinui_pack_skin(${parse_fixtures}/copy.7z ${parse_data}/skin -m0=copy)

# Wine sees the build tree through drive Z:.
if(WIN32)
  set(parse_host_prefix "Z:")
endif()
quillon_add_test(skinui_parse_tests
  SOURCES values_test.cpp markup_test.cpp package_test.cpp corpus_test.cpp ${parse_archives}
  LIBS skinui_parse)
target_compile_definitions(skinui_parse_tests PRIVATE
  SKINUI_TEST_FIXTURES="${parse_host_prefix}${parse_fixtures}"
  SKINUI_TEST_CORPUS="${parse_host_prefix}${CMAKE_CURRENT_SOURCE_DIR}/corpus")

# One program with a skin linked in, one without.
quillon_add_test(skinui_embedded_skin_tests SOURCES embedded_skin_test.cpp LIBS skinui_parse)
skinui_embed_skin(skinui_embedded_skin_tests DIR ${parse_data}/skin)
quillon_add_test(skinui_no_skin_tests SOURCES no_skin_test.cpp LIBS skinui_parse)
# A skin resource that is there but holds no bytes.
set(empty_skin ${parse_fixtures}/empty_skin)
file(GENERATE OUTPUT ${empty_skin}/empty.bin CONTENT "")
if(WIN32)
  file(GENERATE OUTPUT ${empty_skin}/empty.rc CONTENT "LANGUAGE 4, 2\n147 ZIPRES \"${empty_skin}/empty.bin\"\n")
  set(empty_skin_source ${empty_skin}/empty.rc)
else()
  file(GENERATE OUTPUT ${empty_skin}/empty.cpp CONTENT
    "#include \"uikit/resource.h\"\n[[maybe_unused]] static const bool registered = (SkinUI::RegisterEmbeddedResource(\"ZIPRES\", 147, \"\", 0), true);\n")
  set(empty_skin_source ${empty_skin}/empty.cpp)
endif()
quillon_add_test(skinui_empty_skin_tests SOURCES no_skin_test.cpp ${empty_skin_source} LIBS skinui_parse)

option(QUILLON_FUZZ "Build the libFuzzer targets of the parsing layer (Linux, clang)" OFF)
if(QUILLON_FUZZ AND NOT WIN32)
  include(${CMAKE_CURRENT_SOURCE_DIR}/fuzz/parse_fuzz.cmake)
endif()

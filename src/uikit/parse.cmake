# skinui_parse: the skin package, the embedded resource, markup and values.
quillon_sources(skinui_parse_sources ${CMAKE_CURRENT_LIST_DIR} values markup package resource)
add_library(skinui_parse STATIC ${skinui_parse_sources})
target_include_directories(skinui_parse PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(skinui_parse PUBLIC quillon_utf8 PRIVATE Quillon::lzmasdk)

# The host's 7-Zip (Debian's 7zip package) packs skins at build time.
find_program(SKINUI_7ZZ NAMES 7zz)
set(SKINUI_PACK_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/pack_skin.cmake CACHE INTERNAL "")
set(SKINUI_EMBED_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/embed_skin.cmake CACHE INTERNAL "")

# skinui_pack_skin(ARCHIVE DIR [EXTRA_ARGS...]): a build rule that packs every
# file under DIR into the 7z ARCHIVE (LZMA2, solid, one block). File order is
# 7-Zip's own sort of a sorted list and no times or attributes are stored, so
# the same tree always gives the same bytes. EXTRA_ARGS replace the method
# switches (tests use them for other methods and for encryption). The rule
# must be used by a target of the calling directory.
function(skinui_pack_skin archive dir)
  if(NOT SKINUI_7ZZ)
    message(FATAL_ERROR "7zz (Debian package 7zip) is needed to pack the skin")
  endif()
  file(GLOB_RECURSE files CONFIGURE_DEPENDS LIST_DIRECTORIES false ${dir}/*)
  if(NOT files)
    message(FATAL_ERROR "skinui_pack_skin: no files under ${dir}")
  endif()
  set(method ${ARGN})
  if(NOT method)
    set(method -m0=lzma2 -mx=9 -ms=on -mqs=on -mmt=1)
  endif()
  string(REPLACE ";" "|" method_arg "${method}")
  add_custom_command(OUTPUT ${archive}
    COMMAND ${CMAKE_COMMAND} -DSEVENZIP=${SKINUI_7ZZ} -DDIR=${dir} -DARCHIVE=${archive}
            "-DMETHOD=${method_arg}" -P ${SKINUI_PACK_SCRIPT}
    DEPENDS ${files} ${SKINUI_PACK_SCRIPT}
    COMMENT "Packing ${dir} into ${archive}"
    VERBATIM)
endfunction()

# skinui_embed_skin(target [DIR dir]): packs DIR (default: the package root
# ${PROJECT_SOURCE_DIR}/res) and links it into target, where
# FindEmbeddedResource("ZIPRES", 147, ...) finds it: on Windows as resource
# ZIPRES 147 in language 2052, elsewhere as read-only data registered before
# main by a generated object.
function(skinui_embed_skin target)
  cmake_parse_arguments(E "" "DIR" "" ${ARGN})
  if(NOT E_DIR)
    set(E_DIR ${PROJECT_SOURCE_DIR}/res)
  endif()
  string(MAKE_C_IDENTIFIER ${target} id)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/skinui_skin/${target})
  set(archive ${out}/skin.7z)
  skinui_pack_skin(${archive} ${E_DIR})
  if(WIN32)
    # LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED: language 2052.
    file(GENERATE OUTPUT ${out}/skin.rc CONTENT "LANGUAGE 4, 2\n147 ZIPRES \"${archive}\"\n")
    set_source_files_properties(${out}/skin.rc PROPERTIES OBJECT_DEPENDS ${archive} GENERATED TRUE)
    target_sources(${target} PRIVATE ${out}/skin.rc ${archive})
  else()
    # The object takes the archive by .incbin; the generated source names the
    # archive's digest so that a compiler cache cannot serve a stale object.
    set(embed ${out}/skin_embed.cpp)
    add_custom_command(OUTPUT ${embed}
      COMMAND ${CMAKE_COMMAND} -DARCHIVE=${archive} -DOUT=${embed} -DID=${id} -P ${SKINUI_EMBED_SCRIPT}
      DEPENDS ${archive} ${SKINUI_EMBED_SCRIPT}
      VERBATIM)
    target_sources(${target} PRIVATE ${embed})
  endif()
  target_link_libraries(${target} PRIVATE skinui_parse)
endfunction()

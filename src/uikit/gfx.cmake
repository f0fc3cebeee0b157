# skinui_gfx: the ARGB surface, image drawing, PNG, the image cache, glyphs
# and text. PNG decoding and glyphs are per platform (libpng, FreeType and
# fontconfig on Linux; GDI+ and GDI on Windows).
quillon_sources(SKINUI_GFX_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}
  surface image_draw png image_cache glyphs text region_rows)
add_library(skinui_gfx STATIC ${SKINUI_GFX_SOURCES})
target_include_directories(skinui_gfx PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(skinui_gfx PUBLIC quillon_utf8 Quillon::zlib)
if(WIN32)
  target_link_libraries(skinui_gfx PUBLIC gdiplus gdi32 ole32)
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(SKINUI_GFX_DEPS REQUIRED IMPORTED_TARGET freetype2 fontconfig libpng)
  target_link_libraries(skinui_gfx PUBLIC PkgConfig::SKINUI_GFX_DEPS)
endif()

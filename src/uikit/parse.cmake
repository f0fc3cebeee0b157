# skinui_parse: the skin package, the embedded resource, markup and values.
quillon_sources(skinui_parse_sources ${CMAKE_CURRENT_LIST_DIR} values markup package resource)
add_library(skinui_parse STATIC ${skinui_parse_sources})
target_include_directories(skinui_parse PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(skinui_parse PRIVATE Quillon::lzmasdk)

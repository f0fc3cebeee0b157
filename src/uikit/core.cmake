# skinui_core: controls, box layout, the builder, dispatch and the paint manager.
set(SKINUI_CORE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
quillon_sources(SKINUI_CORE_SOURCES ${SKINUI_CORE_DIR}
  layout hittest control container label button progress edit combo
  control_registry dialog_builder paint_manager accessibility)
add_library(skinui_core STATIC ${SKINUI_CORE_SOURCES})
target_include_directories(skinui_core PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(skinui_core PUBLIC skinui_gfx skinui_parse skinui_base)

# Tests of skinui_core.
set(UIKIT_CORE_TEST_DIR ${CMAKE_CURRENT_SOURCE_DIR})
quillon_add_test(uikit_layout_test SOURCES ${UIKIT_CORE_TEST_DIR}/layout_test.cpp
  ${UIKIT_CORE_TEST_DIR}/hittest_test.cpp LIBS skinui_core)
quillon_add_test(uikit_controls_test SOURCES ${UIKIT_CORE_TEST_DIR}/controls_test.cpp LIBS skinui_core)
quillon_add_test(uikit_display_scale_test SOURCES ${UIKIT_CORE_TEST_DIR}/display_scale_test.cpp LIBS skinui_core)
quillon_add_test(uikit_builder_test SOURCES ${UIKIT_CORE_TEST_DIR}/builder_test.cpp LIBS skinui_core)
quillon_add_test(uikit_paint_manager_test SOURCES ${UIKIT_CORE_TEST_DIR}/paint_manager_test.cpp LIBS skinui_core)

# tools/skin-render over a package packed from data/render_skin.
set(render_package ${CMAKE_CURRENT_BINARY_DIR}/core_fixtures/render.7z)
skinui_pack_skin(${render_package} ${UIKIT_CORE_TEST_DIR}/data/render_skin)
if(WIN32)
  set(render_host_prefix "Z:")
endif()
quillon_add_test(uikit_skin_render_test SOURCES ${UIKIT_CORE_TEST_DIR}/skin_render_test.cpp ${render_package}
  LIBS skinui_gfx)
target_compile_definitions(uikit_skin_render_test PRIVATE SKINUI_RENDER_PACKAGE="${render_host_prefix}${render_package}"
  SKINUI_RES_DIR="${render_host_prefix}${PROJECT_SOURCE_DIR}/res")
add_dependencies(uikit_skin_render_test skin-render)
quillon_add_test(uikit_edit_test SOURCES ${UIKIT_CORE_TEST_DIR}/edit_test.cpp LIBS skinui_core)
quillon_add_test(uikit_accessibility_test SOURCES ${UIKIT_CORE_TEST_DIR}/accessibility_test.cpp LIBS skinui_core)

# Tests of skinui_core.
set(UIKIT_CORE_TEST_DIR ${CMAKE_CURRENT_SOURCE_DIR})
quillon_add_test(uikit_layout_test SOURCES ${UIKIT_CORE_TEST_DIR}/layout_test.cpp
  ${UIKIT_CORE_TEST_DIR}/hittest_test.cpp LIBS skinui_core)
quillon_add_test(uikit_controls_test SOURCES ${UIKIT_CORE_TEST_DIR}/controls_test.cpp LIBS skinui_core)
quillon_add_test(uikit_builder_test SOURCES ${UIKIT_CORE_TEST_DIR}/builder_test.cpp LIBS skinui_core)
quillon_add_test(uikit_paint_manager_test SOURCES ${UIKIT_CORE_TEST_DIR}/paint_manager_test.cpp LIBS skinui_core)

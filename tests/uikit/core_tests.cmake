# Tests of skinui_core.
quillon_add_test(uikit_layout_test SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/layout_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/hittest_test.cpp LIBS skinui_core)

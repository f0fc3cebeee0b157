# Tests of skinui_window: real windows, the skin embedded as resource ZIPRES 147.
quillon_add_test(skinui_window_test SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/window_test.cpp
  LIBS skinui_window skinui_window_automation DISPLAY TIMEOUT 120)
skinui_embed_skin(skinui_window_test DIR ${CMAKE_CURRENT_SOURCE_DIR}/data/window_skin)
# WM_DPICHANGED, sent to a real window (Windows only: elsewhere the system
# announces no change of scale).
if(WIN32)
  quillon_add_test(skinui_window_dpi_test SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/window_dpi_test_win.cpp
    LIBS skinui_window skinui_window_automation DISPLAY TIMEOUT 120)
  skinui_embed_skin(skinui_window_dpi_test DIR ${CMAKE_CURRENT_SOURCE_DIR}/data/window_skin)
endif()

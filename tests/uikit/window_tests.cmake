# Tests of skinui_window: real windows, the skin embedded as resource ZIPRES 147.
quillon_add_test(skinui_window_test SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/window_test.cpp
  LIBS skinui_window skinui_window_automation DISPLAY TIMEOUT 120)
skinui_embed_skin(skinui_window_test DIR ${CMAKE_CURRENT_SOURCE_DIR}/data/window_skin)

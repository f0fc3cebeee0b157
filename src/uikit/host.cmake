# skinui_host: one borderless top-level window per host, its events, painting
# and timers, the UI thread's loop, and the shadow popup. Win32 on Windows,
# SDL2 over X11 on Linux (the X Shape extension for rounded corners and the
# shadow's input shape); the display scale (DPI) the windows are drawn at.
quillon_sources(SKINUI_HOST_SOURCES ${CMAKE_CURRENT_SOURCE_DIR} window_host shadow_window display_dpi)
add_library(skinui_host STATIC ${SKINUI_HOST_SOURCES})
target_include_directories(skinui_host PUBLIC ${PROJECT_SOURCE_DIR}/src)
# skinui_gfx for the bitmap and the rounded region's rows.
target_link_libraries(skinui_host PUBLIC skinui_gfx)
if(WIN32)
  target_link_libraries(skinui_host PUBLIC user32 gdi32 imm32)
else()
  find_package(SDL2 REQUIRED)
  find_package(X11 REQUIRED)
  target_link_libraries(skinui_host PUBLIC SDL2::SDL2 X11::X11 X11::Xext)
endif()

# skinui_automation: real input and read-back of shown windows, for tests and
# tools only (XTest on Linux).
quillon_sources(SKINUI_AUTOMATION_SOURCES ${CMAKE_CURRENT_SOURCE_DIR} automation)
add_library(skinui_automation STATIC ${SKINUI_AUTOMATION_SOURCES})
target_link_libraries(skinui_automation PUBLIC skinui_host)
if(NOT WIN32)
  target_link_libraries(skinui_automation PRIVATE X11::X11 X11::Xtst)
endif()

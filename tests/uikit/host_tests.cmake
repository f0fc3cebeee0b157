# Tests of skinui_host: real windows on the suite's X server, real input.
set(HOST_TEST_DIR ${CMAKE_CURRENT_SOURCE_DIR})
quillon_add_test(skinui_host_test
  SOURCES ${HOST_TEST_DIR}/window_host_test.cpp ${HOST_TEST_DIR}/host_png.cpp
  LIBS skinui_automation Quillon::zlib DISPLAY TIMEOUT 120)
target_include_directories(skinui_host_test PRIVATE ${HOST_TEST_DIR})
quillon_add_test(skinui_shadow_window_test
  SOURCES ${HOST_TEST_DIR}/shadow_window_test.cpp ${HOST_TEST_DIR}/host_png.cpp
          ${PROJECT_SOURCE_DIR}/tests/support/display_probe_${QUILLON_PLATFORM}.cpp
  LIBS skinui_automation Quillon::zlib COMPOSITOR TIMEOUT 120)
target_include_directories(skinui_shadow_window_test PRIVATE ${HOST_TEST_DIR})
if(NOT WIN32)
  find_package(X11 REQUIRED)
  target_link_libraries(skinui_shadow_window_test PRIVATE X11::X11)
endif()
if(NOT WIN32)
  # The host's framebuffer choice must win over the environment's: on GL
  # SDL rebuilds the X window, losing its shape and the id the host holds.
  set_tests_properties(skinui_host_test PROPERTIES ENVIRONMENT SDL_FRAMEBUFFER_ACCELERATION=1)
endif()
quillon_add_test(skinui_placement_test SOURCES ${HOST_TEST_DIR}/placement_test.cpp LIBS skinui_host)
# The display scale: its arithmetic everywhere; the X resources of a real
# X server on Linux; the system DPI a real child reads under Wine.
quillon_add_test(skinui_display_dpi_test SOURCES ${HOST_TEST_DIR}/display_dpi_test.cpp LIBS skinui_host)
if(NOT WIN32)
  quillon_add_test(skinui_display_dpi_x11_test SOURCES ${HOST_TEST_DIR}/display_dpi_x11_test.cpp
    LIBS skinui_host DISPLAY TIMEOUT 60)
endif()
if(WIN32)
  add_executable(skinui_dpi_probe ${HOST_TEST_DIR}/dpi_probe_win.cpp)
  target_link_libraries(skinui_dpi_probe PRIVATE skinui_host)
  set_target_properties(skinui_dpi_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  # The probe makes a window. While the prefix's DPI is changed every
  # window on the suite's screen would be drawn at it: DISPLAY holds that
  # screen's lock.
  quillon_add_test(skinui_display_dpi_win_test SOURCES ${HOST_TEST_DIR}/display_dpi_win_test.cpp
    LIBS quillon_utils DISPLAY WINDOWS_LOCKS system_dpi)
  add_dependencies(skinui_display_dpi_win_test skinui_dpi_probe)
endif()

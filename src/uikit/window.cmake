# skinui_window: the skinned window base, the paint manager over the host.
# The accessibility bridge hands each window's model to the system (MSAA).
quillon_sources(SKINUI_WINDOW_SOURCES ${CMAKE_CURRENT_SOURCE_DIR} window_impl_base accessibility_bridge)
add_library(skinui_window STATIC ${SKINUI_WINDOW_SOURCES})
target_include_directories(skinui_window PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(skinui_window PUBLIC skinui_core skinui_host)
if(WIN32)
  target_link_libraries(skinui_window PUBLIC oleacc oleaut32 ole32)
endif()

# skinui_window_automation: find-by-name over the skinned windows, for tests
# and tools only.
add_library(skinui_window_automation STATIC ${CMAKE_CURRENT_SOURCE_DIR}/window_automation.cpp)
target_link_libraries(skinui_window_automation PUBLIC skinui_window skinui_automation)

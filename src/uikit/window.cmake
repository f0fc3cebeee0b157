# skinui_window: the skinned window base, the paint manager over the host.
add_library(skinui_window STATIC ${CMAKE_CURRENT_SOURCE_DIR}/window_impl_base.cpp)
target_include_directories(skinui_window PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(skinui_window PUBLIC skinui_core skinui_host)

# skinui_window_automation: find-by-name over the skinned windows, for tests
# and tools only.
add_library(skinui_window_automation STATIC ${CMAKE_CURRENT_SOURCE_DIR}/window_automation.cpp)
target_link_libraries(skinui_window_automation PUBLIC skinui_window skinui_automation)

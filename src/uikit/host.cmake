add_library(skinui_host INTERFACE)
target_include_directories(skinui_host INTERFACE ${PROJECT_SOURCE_DIR}/src)

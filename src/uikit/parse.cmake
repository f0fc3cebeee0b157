add_library(skinui_parse INTERFACE)
target_include_directories(skinui_parse INTERFACE ${PROJECT_SOURCE_DIR}/src)

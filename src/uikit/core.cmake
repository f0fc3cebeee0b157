add_library(skinui_core INTERFACE)
target_include_directories(skinui_core INTERFACE ${PROJECT_SOURCE_DIR}/src)

add_library(skinui_gfx INTERFACE)
target_include_directories(skinui_gfx INTERFACE ${PROJECT_SOURCE_DIR}/src)

# The installer itself: quillon-setup on Linux, QuillonSetup.exe on Windows
# (GUI subsystem, static; i686 is the product, x86_64 runs the tests).
# Included after src/ui, whose quillon_main_wnd it links.
set(SETUP_DIR ${CMAKE_CURRENT_LIST_DIR})

quillon_sources(SETUP_SOURCES ${SETUP_DIR} main)
add_executable(quillon-setup ${SETUP_SOURCES})
target_include_directories(quillon-setup PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(quillon-setup PRIVATE quillon_startup quillon_unattended quillon_main_wnd skinui_window)
set_target_properties(quillon-setup PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
skinui_embed_skin(quillon-setup)
if(WIN32)
  target_sources(quillon-setup PRIVATE ${SETUP_DIR}/res/QuillonSetup.rc)
  set_source_files_properties(${SETUP_DIR}/res/QuillonSetup.rc PROPERTIES
    OBJECT_DEPENDS "${SETUP_DIR}/res/QuillonSetup.manifest;${SETUP_DIR}/res/quillon.ico")
  set_target_properties(quillon-setup PROPERTIES OUTPUT_NAME QuillonSetup WIN32_EXECUTABLE ON)
  # Sections nothing reaches are left out of the product.
  target_link_options(quillon-setup PRIVATE -municode -Wl,--gc-sections)
else()
  find_package(X11 REQUIRED)
  target_link_libraries(quillon-setup PRIVATE X11::X11)
endif()

# The stripped product, whose size is what a user downloads.
add_custom_target(quillon-setup-stripped
  COMMAND ${CMAKE_STRIP} -o $<TARGET_FILE_DIR:quillon-setup>/stripped-$<TARGET_FILE_NAME:quillon-setup>
          $<TARGET_FILE:quillon-setup>
  DEPENDS quillon-setup
  VERBATIM)

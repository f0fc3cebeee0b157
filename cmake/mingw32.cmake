# Cross toolchain for the shipped product: 32-bit Windows, statically linked.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QUILLON_MINGW i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# Cross toolchain for the 64-bit Windows variant of the same sources, whose
# suite runs under wine64 on machines that cannot execute 32-bit code.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QUILLON_MINGW x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

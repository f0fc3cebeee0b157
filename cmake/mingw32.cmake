# Cross toolchain for the shipped product: 32-bit Windows, statically linked.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QUILLON_MINGW i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
# Doubles are computed as on every other target: with SSE2, each operation
# rounded to binary64. The x87 unit's 80-bit intermediates would otherwise
# move a product such as 0.5 x 0.7 x 100 just below 35, and the truncated
# percentage the user sees would differ from the other builds. Every system
# the product supports has SSE2.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")

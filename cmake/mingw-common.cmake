# Shared body of the MinGW-w64 toolchain files; QUILLON_MINGW names the triple.
# The posix thread model of MinGW-w64 is the one whose libstdc++ has
# std::thread and std::mutex; winpthread is linked in statically.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${QUILLON_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUILLON_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${QUILLON_MINGW}-windres)
set(CMAKE_AR ${QUILLON_MINGW}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${QUILLON_MINGW}-ranlib CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${QUILLON_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

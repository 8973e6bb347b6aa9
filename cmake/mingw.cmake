# Shared by the MinGW-w64 toolchain files, which set MINGW_TRIPLE first. The posix
# thread model gives GoogleTest its std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)
# Programs get the 8 MiB main-thread stack they have on Linux: a draw takes 330 KB of
# it, and every draw nested in a device callback as much again.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-Wl,--stack,8388608")
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

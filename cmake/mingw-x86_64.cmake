# Cross-building the Windows sources for 64-bit with MinGW-w64, tests under 64-bit
# Wine: the stand-in for the 32-bit build's tests on kernels that run no 32-bit
# programs. The posix thread model gives GoogleTest its std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Debian's 64-bit loader: its `wine` command prefers the 32-bit one when installed.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)

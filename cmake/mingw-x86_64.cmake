# Cross-building the Windows sources for 64-bit with MinGW-w64, tests under 64-bit
# Wine: the stand-in for the 32-bit build's tests on kernels that run no 32-bit
# programs.
set(MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
# Debian's 64-bit loader: its `wine` command prefers the 32-bit one when installed.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
endif()

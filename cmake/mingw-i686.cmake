# Cross-building the 32-bit Windows DLL with MinGW-w64; tests run under Wine;
# everything is linked statically.
set(MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
# Wine runs the tests; the test command may name another loader (Wine in a Debian root).
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR wine)
endif()

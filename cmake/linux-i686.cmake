# Building for 32-bit x86 Linux with the host's multilib GCC, tests under
# qemu-i386: the stand-in that checks 32-bit arithmetic on kernels that run no
# 32-bit programs, where Wine cannot run the 32-bit DLL's tests.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT -m32)
set(CMAKE_CXX_FLAGS_INIT -m32)
set(CMAKE_EXE_LINKER_FLAGS_INIT -m32)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -m32)
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/qemu-i386-static)

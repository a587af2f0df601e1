# Cross-builds kaland for 64-bit Windows with Debian's MinGW-w64 compilers
# (g++-mingw-w64-x86-64-posix):
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KALAND_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KALAND_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KALAND_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KALAND_MINGW_PREFIX}-windres)

# Headers and libraries come from the MinGW-w64 tree only; programs (groff,
# mandoc) from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${KALAND_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# A downloaded .exe has no MinGW runtime beside it: the C++ and GCC runtimes,
# and the POSIX threads library the posix compilers pull in, are linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

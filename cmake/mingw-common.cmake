# Shared by the two toolchain files, which set QUENBY_MINGW_TRIPLE first.
# Cross-compiles with the MinGW-w64 posix-thread compilers (the win32 thread
# model lacks std::mutex, which GoogleTest needs).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${QUENBY_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUENBY_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QUENBY_MINGW_TRIPLE}-windres)
set(CMAKE_DLLTOOL ${QUENBY_MINGW_TRIPLE}-dlltool)
set(CMAKE_STRIP ${QUENBY_MINGW_TRIPLE}-strip)
set(CMAKE_FIND_ROOT_PATH /usr/${QUENBY_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# CTest runs every test executable under Wine. Inside scripts/sandbox.sh,
# "wine" is the loader for the sandbox's architecture.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)

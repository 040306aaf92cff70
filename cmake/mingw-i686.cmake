# 32-bit Windows (x86).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QUENBY_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

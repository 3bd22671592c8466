# Cross build for 32-bit Windows (x86), which also runs on 64-bit Windows and on Windows on
# ARM.
set(MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

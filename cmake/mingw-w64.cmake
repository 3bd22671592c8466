# Cross build for Windows with MinGW-w64; included by the toolchain file of each processor,
# which sets MINGW_TRIPLET and CMAKE_SYSTEM_PROCESSOR first.
#
# The win32 thread model: the posix one links winpthread into every exe (some 30 KiB),
# although the program starts no threads of the C++ library (tests use CreateThread).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc-win32)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-win32)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Without -static the exe imports the compiler's runtime DLLs, which Windows does not ship.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

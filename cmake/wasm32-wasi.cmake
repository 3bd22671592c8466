# WebAssembly for the page, with Debian's clang 14 and its wasm32-wasi C and C++ libraries
# (wasi-libc, libc++-14-dev-wasm32, libc++abi-14-dev-wasm32, libclang-rt-14-dev-wasm32).
# The module is a reactor (a library the page calls, with no main) that imports nothing:
# the core does no file or clock calls, so the page instantiates it with an empty import
# object. No exceptions, none thrown or caught; everything optimised for size and stripped.
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
set(CMAKE_CXX_COMPILER clang++-14)
set(CMAKE_CXX_COMPILER_TARGET wasm32-wasi)
set(CMAKE_CXX_FLAGS_INIT "-fno-exceptions")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-mexec-model=reactor -Wl,--strip-all")
set(CMAKE_EXECUTABLE_SUFFIX .wasm)
# A test program of CMake's would want a main.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

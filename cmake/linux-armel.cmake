# Cross build for 32-bit ARM Linux with Debian's armel toolchain (ARMv5TE, floating point in
# software): its static programs run on every 32-bit ARM board from ARMv6 on, the Raspberry
# Pi Zero and 1 among them. Its tests run on qemu's model of their processor, the ARM1176.
set(LINUX_TRIPLET arm-linux-gnueabi)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(GLIMMERSET_DEB_ARCH armel)
set(GLIMMERSET_EMULATOR /usr/bin/qemu-arm-static -cpu arm1176)
# GCC notes where it passes arguments on 32-bit ARM unlike GCC before 7.1 did, which matters
# only to code built by such a GCC and linked in: none is.
set(CMAKE_CXX_FLAGS_INIT -Wno-psabi)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)

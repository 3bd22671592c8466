# Cross build for 32-bit ARM Linux with hardware floating point (Debian armhf): ARMv7 and
# later, so Raspberry Pi 2 and newer, not the Pi Zero and 1 (ARMv6).
set(LINUX_TRIPLET arm-linux-gnueabihf)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(GLIMMERSET_DEB_ARCH armhf)
set(GLIMMERSET_EMULATOR /usr/bin/qemu-arm-static)
# GCC notes where it passes arguments on 32-bit ARM unlike GCC before 7.1 did, which matters
# only to code built by such a GCC and linked in: none is.
set(CMAKE_CXX_FLAGS_INIT -Wno-psabi)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)

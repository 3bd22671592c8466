# Cross build for 64-bit ARM Linux (Debian arm64): Raspberry Pi 3, 4 and 5 with a 64-bit
# system, and other ARMv8 boards.
set(LINUX_TRIPLET aarch64-linux-gnu)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(GLIMMERSET_DEB_ARCH arm64)
set(GLIMMERSET_EMULATOR /usr/bin/qemu-aarch64-static)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)

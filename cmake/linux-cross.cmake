# Cross build of glimmerset for Linux on another processor with Debian's cross compilers;
# included by the toolchain file of each processor, which sets LINUX_TRIPLET,
# CMAKE_SYSTEM_PROCESSOR, GLIMMERSET_DEB_ARCH (the Debian architecture) and
# GLIMMERSET_EMULATOR (qemu-user and its options) first.
#
# The compilers find the libraries of that architecture where Debian installs them beside
# the machine's own (libpng-dev:arm64 in /usr/lib/aarch64-linux-gnu, say). The tests run
# under qemu-user, called by name: no binfmt registration is needed.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER ${LINUX_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${LINUX_TRIPLET}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${LINUX_TRIPLET})
set(CMAKE_CROSSCOMPILING_EMULATOR ${GLIMMERSET_EMULATOR})

# Cross build for 64-bit ARM with Debian's cross compiler (g++-aarch64-linux-gnu) and the target's libraries
# installed as multiarch :arm64 packages; ctest runs the tests under qemu-user (scripts/test-arm.sh).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)

# Multiarch keeps the target's libraries beside the build machine's (/usr/lib/aarch64-linux-gnu), so the usual
# prefixes are searched; programs are the build machine's own.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
# pkg-config reads the target's .pc files only.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig)

# Test programs (and GoogleTest's discovery) run through the user-mode emulator; the cross C library's loader
# lives under /usr/aarch64-linux-gnu.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64-static -L /usr/aarch64-linux-gnu)

# Cross-compiling for arm64 Linux with Debian's multiarch: the cross
# compilers of crossbuild-essential-arm64, and Qt, GoogleTest and the C
# library as the :arm64 packages, installed beside the amd64 ones.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
# CTest runs the arm64 executables through user-mode emulation, which finds
# the arm64 loader and libraries where multiarch puts them; binfmt_misc is
# not needed.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64-static)

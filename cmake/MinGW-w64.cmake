# Cross-compiling the core and zorvak-pak for 64-bit Windows with Debian's
# MinGW-w64 (the posix thread model, whose GCC has std::filesystem and
# std::thread). Everything is linked statically, so the .exe runs alone.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# This GCC warns falsely of overlapping copies wherever "..." + std::string
# is inlined (GCC bug 105329); with warnings as errors that stops the build.
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict")
set(ZLIB_USE_STATIC_LIBS ON)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# Tests run under Wine from the test script; ctest could use it too.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)

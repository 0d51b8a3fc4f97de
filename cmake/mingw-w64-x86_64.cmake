# Cross-builds for 64-bit Windows with Debian's MinGW-w64, to be run under
# Wine. scripts/build-qt-windows.sh builds Qt with it; the project itself is
# configured through that Qt's qt-cmake, which chain-loads this file:
#   <qt>/bin/qt-cmake -S . -B build-windows \
#         -DQT_CHAINLOAD_TOOLCHAIN_FILE=$PWD/cmake/mingw-w64-x86_64.cmake
# Without a Qt, -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# -DPASSGEN_WINDOWS=OFF builds the core and its tests alone.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PASSGEN_MINGW_TRIPLE x86_64-w64-mingw32)
# The posix-threads compilers: GCC 12's win32-threads library has no
# std::mutex or std::thread, which GoogleTest and any threaded code may want.
set(CMAKE_C_COMPILER ${PASSGEN_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PASSGEN_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${PASSGEN_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${PASSGEN_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static runtime, so the .exe files run under Wine without copying DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest and gtest_discover_tests start the .exe files through Wine. The
# wrapper picks wine64 when no 32-bit Wine is installed.
find_program(PASSGEN_WINE NAMES wine64 wine)
if(PASSGEN_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${PASSGEN_WINE})
endif()

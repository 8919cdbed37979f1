# Cross build for 64-bit Windows with Debian's mingw-w64 (posix thread model):
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
#         -DTESSORAN_GUI=OFF -DTESSORAN_BENCH=OFF
# Tests then run under wine through CTest (scripts/test-windows sets wine up).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${_mingw}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static runtime: the programs run on a bare Windows (or wine) without mingw DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# CTest starts every Windows program through wine. Without address
# randomisation: Debian's wine 8 has no preloader, and about one start in a
# thousand fails when something lands where wine maps its fixed shared page.
# Tests are listed when CTest runs, not at build time, so building needs no wine.
find_program(TESSORAN_WINE wine)
find_program(TESSORAN_SETARCH setarch)
if(TESSORAN_WINE AND TESSORAN_SETARCH)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${TESSORAN_SETARCH} -R ${TESSORAN_WINE})
elseif(TESSORAN_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${TESSORAN_WINE})
endif()
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)

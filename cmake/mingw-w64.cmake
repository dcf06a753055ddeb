# Cross build for 64-bit Windows with mingw-w64 (Debian's
# g++-mingw-w64-x86-64-posix: the POSIX thread model, which std::thread needs).
#   cmake -S . -B build-windows/win -G Ninja \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DRQ30_WITH_QT=OFF
# When Wine is installed, built programs run through it: GoogleTest's test
# discovery at build time and ctest both go through the emulator.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(RQ30_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${RQ30_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${RQ30_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${RQ30_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${RQ30_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C++ runtime and winpthread linked in, so that every .exe runs on its
# own, under Wine as on a Windows machine, without DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

find_program(RQ30_WINE NAMES wine wine64)
if(RQ30_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${RQ30_WINE})
endif()

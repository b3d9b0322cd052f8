# Cross build for 64-bit Windows with MinGW-w64; the tests run under Wine.
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DKAYOIJI_GUI=OFF -DKAYOIJI_BENCH=OFF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KAYOIJI_MINGW_TRIPLE x86_64-w64-mingw32)
# The "-posix" compilers: the win32 thread model has no std::thread or
# std::mutex, which GoogleTest needs.
set(CMAKE_C_COMPILER ${KAYOIJI_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KAYOIJI_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KAYOIJI_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KAYOIJI_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The compiler's own libraries (libstdc++, libgcc, winpthread) go into each
# program, so nothing has to be copied next to it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Debian's wine64 package keeps the 64-bit loader out of PATH; the "wine"
# wrapper works as well but warns about its missing 32-bit half.
find_program(KAYOIJI_WINE_LOADER NAMES wine64 wine HINTS /usr/lib/wine /usr/lib64/wine
             DOC "Wine loader that runs the cross-built programs")
if(KAYOIJI_WINE_LOADER)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KAYOIJI_WINE_LOADER})
endif()

# The static Qt for Windows that scripts/build-qt-windows.sh builds into a
# cache folder: searched like the sysroot, its tools (moc, rcc, uic) taken
# from the build machine's Qt of the same version: Debian's own under /usr,
# or the tools that script built beside the libraries
# (`build-qt-windows.sh --print-host` names the folder).
set(KAYOIJI_QT_PREFIX "" CACHE PATH "Qt built for Windows (scripts/build-qt-windows.sh)")
set(KAYOIJI_QT_HOST_PATH /usr CACHE PATH "Prefix of the host's Qt tools of the same version")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KAYOIJI_QT_PREFIX KAYOIJI_QT_HOST_PATH)
if(KAYOIJI_QT_PREFIX)
  list(APPEND CMAKE_FIND_ROOT_PATH ${KAYOIJI_QT_PREFIX})
  list(APPEND CMAKE_PREFIX_PATH ${KAYOIJI_QT_PREFIX})
  set(QT_HOST_PATH ${KAYOIJI_QT_HOST_PATH} CACHE PATH "" FORCE)
  if(EXISTS ${KAYOIJI_QT_HOST_PATH}/lib/x86_64-linux-gnu/cmake/Qt6CoreTools)
    set(QT_HOST_PATH_CMAKE_DIR ${KAYOIJI_QT_HOST_PATH}/lib/x86_64-linux-gnu/cmake CACHE PATH "" FORCE)
  else()
    set(QT_HOST_PATH_CMAKE_DIR ${KAYOIJI_QT_HOST_PATH}/lib/cmake CACHE PATH "" FORCE)
  endif()
endif()

# Cross-building for 64-bit Windows with MinGW-w64 (posix threads, as
# std::thread needs). KAIROS_QT_WINDOWS names the folder where
# scripts/build-qt-windows.sh installed Qt for Windows.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

if(NOT DEFINED KAIROS_QT_WINDOWS)
  if(DEFINED ENV{KAIROS_QT_WINDOWS})
    set(KAIROS_QT_WINDOWS $ENV{KAIROS_QT_WINDOWS})
  else()
    set(KAIROS_QT_WINDOWS /opt/kairos-qt6-mingw/6.4.2)
  endif()
endif()
# Try-compiles run in projects of their own; they need the folder too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KAIROS_QT_WINDOWS)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${KAIROS_QT_WINDOWS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)


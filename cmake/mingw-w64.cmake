# Cross-building for 64-bit Windows with Debian's MinGW-w64 (posix threads, which C++ threads and
# coroutines need). Libraries, headers and CMake packages are looked up only under the MinGW
# sysroot and the folders of CMAKE_PREFIX_PATH (the cross Qt and QCoro); programs (moc, rcc, uic)
# come from the host.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VOLTERNE_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VOLTERNE_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VOLTERNE_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VOLTERNE_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VOLTERNE_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

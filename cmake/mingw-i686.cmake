# Cross-build for the 32-bit Windows host with Debian's mingw-w64 (posix
# threads: std::thread and std::mutex need them).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(KANVIO_MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_C_COMPILER ${KANVIO_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KANVIO_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KANVIO_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KANVIO_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The host has nothing but Windows itself: the C++ runtime, libgcc and
# winpthread go into every module.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

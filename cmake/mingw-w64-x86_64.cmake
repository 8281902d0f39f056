# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (posix thread model, so std::thread
# and std::mutex work). The platform libraries come from the prefix scripts/windows-deps.sh
# builds; ISORA_WINDOWS_PREFIX (cache or environment) points at it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${_triple}-windres)
set(CMAKE_AR ${_triple}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${_triple}-ranlib CACHE FILEPATH "")

if(NOT ISORA_WINDOWS_PREFIX)
  if(DEFINED ENV{ISORA_WINDOWS_PREFIX})
    set(ISORA_WINDOWS_PREFIX $ENV{ISORA_WINDOWS_PREFIX})
  else()
    set(ISORA_WINDOWS_PREFIX $ENV{HOME}/.cache/isora-windows/prefix)
  endif()
endif()
set(ISORA_WINDOWS_PREFIX ${ISORA_WINDOWS_PREFIX} CACHE PATH "Prefix of the cross-built libraries")
# try_compile projects see the prefix too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ISORA_WINDOWS_PREFIX)

# Libraries, headers and CMake packages come from the prefix only (it holds a copy of the
# header-only nlohmann-json too), never from the build machine's /usr.
set(CMAKE_FIND_ROOT_PATH ${ISORA_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config reads only the prefix, and static link lines, so every library lands in the .exe.
set(ENV{PKG_CONFIG_LIBDIR} ${ISORA_WINDOWS_PREFIX}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
set(PKG_CONFIG_ARGN --static)

# One folder, no runtime DLLs: libgcc, libstdc++ and winpthread are linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (the POSIX
# thread model, which std::thread needs). Libraries are looked for only under
# VANTREL_WINDOWS_PREFIX, where scripts/build-windows installs its own static
# builds, and for the window under VANTREL_WINDOWS_QT, a static Qt for
# mingw-w64 whose host tools (moc, rcc, lrelease) come from the build
# machine's own Qt of the same version. The programs link statically, so they
# need nothing but system DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VANTREL_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VANTREL_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VANTREL_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${VANTREL_MINGW}-windres)

if(NOT VANTREL_WINDOWS_PREFIX)
    set(VANTREL_WINDOWS_PREFIX "$ENV{VANTREL_WINDOWS_PREFIX}")
endif()
if(NOT VANTREL_WINDOWS_QT)
    set(VANTREL_WINDOWS_QT "$ENV{VANTREL_WINDOWS_QT}")
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VANTREL_WINDOWS_PREFIX VANTREL_WINDOWS_QT)

set(CMAKE_FIND_ROOT_PATH /usr/${VANTREL_MINGW} ${VANTREL_WINDOWS_PREFIX} ${VANTREL_WINDOWS_QT})
if(VANTREL_WINDOWS_QT)
    set(QT_HOST_PATH /usr)
    set(QT_HOST_PATH_CMAKE_DIR /usr/lib/${CMAKE_HOST_SYSTEM_PROCESSOR}-linux-gnu/cmake)
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config answers for the static libraries under the prefix only.
set(ENV{PKG_CONFIG_LIBDIR} "${VANTREL_WINDOWS_PREFIX}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
set(PKG_CONFIG_ARGN --static)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_CROSSCOMPILING_EMULATOR wine)

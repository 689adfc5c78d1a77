# Cross compilation for 32-bit Windows with MinGW-w64 (Debian's g++-mingw-w64-i686).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(QEL_MINGW_PREFIX i686-w64-mingw32)
find_program(CMAKE_C_COMPILER NAMES ${QEL_MINGW_PREFIX}-gcc-posix ${QEL_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${QEL_MINGW_PREFIX}-g++-posix ${QEL_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${QEL_MINGW_PREFIX}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${QEL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Doubles in SSE2 registers, as on x86-64: without these flags GCC keeps i686 intermediates on the
# x87 unit with 80-bit precision, and qel.exe would round differently from the native build that the
# unit tests, qel-calc and the manuals' numbers come from. So qel.exe needs a CPU with SSE2 (every
# x86 CPU since 2003). Windows calls window procedures with a 4-byte aligned stack: realign it where
# SSE code needs 16 bytes.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -mstackrealign")

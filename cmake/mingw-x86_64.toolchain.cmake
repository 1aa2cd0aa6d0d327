# 64-bit Windows: the same sources, for Wine on hosts that cannot run 32-bit
# code (a kernel booted without IA-32 emulation).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TW_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

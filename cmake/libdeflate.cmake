# libdeflate's compression code, built statically from Debian's source
# package, which scripts/setup.sh fetches (scripts/fetch-libdeflate.sh).
# Defines the target tw_libdeflate for the maker and the native tests.
if(DEFINED ENV{TW_DEPS_DIR})
  set(tw_deps_default "$ENV{TW_DEPS_DIR}/libdeflate")
else()
  set(tw_deps_default "${CMAKE_SOURCE_DIR}/build/deps/libdeflate")
endif()
set(TW_LIBDEFLATE_DIR "${tw_deps_default}" CACHE PATH "unpacked source of libdeflate")
if(NOT EXISTS "${TW_LIBDEFLATE_DIR}/lib/deflate_compress.c")
  message(FATAL_ERROR "libdeflate's source is missing (looked in ${TW_LIBDEFLATE_DIR}): "
                      "run scripts/setup.sh, which fetches Debian's source package of it")
endif()

set(tw_ld ${TW_LIBDEFLATE_DIR}/lib)
add_library(tw_libdeflate STATIC
  ${tw_ld}/deflate_compress.c
  ${tw_ld}/zlib_compress.c
  ${tw_ld}/adler32.c
  ${tw_ld}/utils.c
  ${tw_ld}/x86/cpu_features.c
  ${tw_ld}/arm/cpu_features.c
)
target_include_directories(tw_libdeflate SYSTEM PUBLIC ${TW_LIBDEFLATE_DIR})
target_compile_options(tw_libdeflate PRIVATE -O2 -w)

# Third-party libraries, found once for both builds. Native builds use Debian's packages;
# the MinGW build finds the static archives under /usr/x86_64-w64-mingw32 (the toolchain
# file prefers .a), so the Windows program needs no DLLs beside it.

if(WIN32)
  # The platform defaults put import libraries first; the program links statically.
  set(ZLIB_USE_STATIC_LIBS ON)
endif()
find_package(ZLIB REQUIRED)

# libgcrypt ships no CMake package; libgpg-error must follow it on the link line.
find_path(GCRYPT_INCLUDE_DIR gcrypt.h REQUIRED)
if(WIN32)
  find_library(GCRYPT_LIBRARY NAMES libgcrypt.a REQUIRED)
  find_library(GPG_ERROR_LIBRARY NAMES libgpg-error.a REQUIRED)
else()
  find_library(GCRYPT_LIBRARY gcrypt REQUIRED)
  find_library(GPG_ERROR_LIBRARY gpg-error REQUIRED)
endif()
add_library(tessary_gcrypt INTERFACE)
target_include_directories(tessary_gcrypt SYSTEM INTERFACE "${GCRYPT_INCLUDE_DIR}")
target_link_libraries(tessary_gcrypt INTERFACE "${GCRYPT_LIBRARY}" "${GPG_ERROR_LIBRARY}")
if(WIN32)
  # The static libgcrypt and libgpg-error call into these system libraries.
  target_link_libraries(tessary_gcrypt INTERFACE ws2_32 bcrypt advapi32 user32)
endif()

# RapidJSON is header-only and lives in the native /usr/include, which a MinGW build must
# not search as a whole: expose just its folder through a private include root.
find_path(RAPIDJSON_INCLUDE_DIR rapidjson/rapidjson.h PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(tessary_rapidjson_root "${CMAKE_BINARY_DIR}/third_party/include")
file(MAKE_DIRECTORY "${tessary_rapidjson_root}")
file(CREATE_LINK "${RAPIDJSON_INCLUDE_DIR}/rapidjson" "${tessary_rapidjson_root}/rapidjson" SYMBOLIC)
add_library(tessary_rapidjson INTERFACE)
target_include_directories(tessary_rapidjson SYSTEM INTERFACE "${tessary_rapidjson_root}")
# SSE2 scanning of white space; every x86-64 processor has it.
target_compile_definitions(tessary_rapidjson INTERFACE RAPIDJSON_SSE2 RAPIDJSON_HAS_STDSTRING=1)

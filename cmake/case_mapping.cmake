# The core's full Unicode case mapping tables, generated at build time from Debian's
# unicode-data package by a small program built for and run on the build machine (so the
# MinGW build runs it too). Included from core/CMakeLists.txt, after tessary_core exists.
set(TESSARY_UNICODE_DATA "/usr/share/unicode/UnicodeData.txt")
set(TESSARY_SPECIAL_CASING "/usr/share/unicode/SpecialCasing.txt")
foreach(file IN ITEMS "${TESSARY_UNICODE_DATA}" "${TESSARY_SPECIAL_CASING}")
  if(NOT EXISTS "${file}")
    message(FATAL_ERROR "${file} not found: run scripts/setup (package unicode-data)")
  endif()
endforeach()

if(CMAKE_CROSSCOMPILING)
  find_program(TESSARY_HOST_CXX NAMES g++ c++ clang++ REQUIRED)
else()
  set(TESSARY_HOST_CXX "${CMAKE_CXX_COMPILER}")
endif()

set(case_generator_source "${CMAKE_SOURCE_DIR}/cmake/generators/case_mapping_tables.cpp")
set(case_generator "${CMAKE_BINARY_DIR}/host-tools/case_mapping_tables")
set(case_tables "${CMAKE_BINARY_DIR}/generated/core/text/case_mapping_tables.inc")
add_custom_command(
  OUTPUT "${case_generator}"
  COMMAND "${CMAKE_COMMAND}" -E make_directory "${CMAKE_BINARY_DIR}/host-tools"
  COMMAND "${TESSARY_HOST_CXX}" -std=c++20 -O1 -o "${case_generator}" "${case_generator_source}"
  DEPENDS "${case_generator_source}"
  COMMENT "Building the case mapping table generator for the build machine"
  VERBATIM)
add_custom_command(
  OUTPUT "${case_tables}"
  COMMAND "${CMAKE_COMMAND}" -E make_directory "${CMAKE_BINARY_DIR}/generated/core/text"
  COMMAND "${case_generator}" "${TESSARY_UNICODE_DATA}" "${TESSARY_SPECIAL_CASING}" "${case_tables}"
  DEPENDS "${case_generator}" "${TESSARY_UNICODE_DATA}" "${TESSARY_SPECIAL_CASING}"
  COMMENT "Generating the Unicode case mapping tables"
  VERBATIM)
target_sources(tessary_core PRIVATE "${case_tables}")

# Helpers for the Windows programs: their resources and their debug information.
# The icon, the application manifest and the version resource of one program, configured
# from project(VERSION) so that the resource and the start-up line cannot disagree.
set(TESSARY_RESOURCES "${CMAKE_SOURCE_DIR}/player/resources")
set(TESSARY_GENERATED "${CMAKE_BINARY_DIR}/generated")
configure_file("${TESSARY_RESOURCES}/tessary.manifest.in" "${TESSARY_GENERATED}/tessary.manifest" @ONLY)
function(tessary_program_resources target original_filename description)
  set_property(TARGET ${target} PROPERTY TESSARY_MANIFEST_EMBEDDED ON)
  set(TESSARY_ORIGINAL_FILENAME "${original_filename}")
  set(TESSARY_FILE_DESCRIPTION "${description}")
  set(rc "${TESSARY_GENERATED}/${target}.rc")
  configure_file("${TESSARY_RESOURCES}/tessary.rc.in" "${rc}" @ONLY)
  target_sources(${target} PRIVATE "${rc}")
  set_source_files_properties("${rc}" PROPERTIES
    OBJECT_DEPENDS "${TESSARY_RESOURCES}/tessary.ico;${TESSARY_GENERATED}/tessary.manifest")
endfunction()

# Every other program of the build (test programs, stand-ins, tools, benchmarks) embeds the
# same manifest: without one, Windows gives a program common controls 5, which lacks
# TaskDialogIndirect, and treats it as DPI-unaware, so what a test measures on Windows would
# not be what the player does. Wine runs both alike, so a test reads the embedded
# resource of each program listed in windows_programs.txt. Called once, after every target
# exists.
function(tessary_collect_executables directory out)
  set(found "")
  get_property(targets DIRECTORY "${directory}" PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
      list(APPEND found ${target})
    endif()
  endforeach()
  get_property(subdirectories DIRECTORY "${directory}" PROPERTY SUBDIRECTORIES)
  foreach(subdirectory IN LISTS subdirectories)
    tessary_collect_executables("${subdirectory}" below)
    list(APPEND found ${below})
  endforeach()
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

function(tessary_embed_manifest_everywhere)
  set(rc "${TESSARY_GENERATED}/manifest_only.rc")
  file(WRITE "${rc}.in" "#include <windows.h>\nCREATEPROCESS_MANIFEST_RESOURCE_ID RT_MANIFEST \"${TESSARY_GENERATED}/tessary.manifest\"\n")
  configure_file("${rc}.in" "${rc}" COPYONLY)
  tessary_collect_executables("${CMAKE_SOURCE_DIR}" programs)
  set(listed "")
  foreach(target IN LISTS programs)
    get_target_property(embedded ${target} TESSARY_MANIFEST_EMBEDDED)
    if(NOT embedded)
      target_sources(${target} PRIVATE "${rc}")
      set_source_files_properties("${rc}" TARGET_DIRECTORY ${target} PROPERTIES
        OBJECT_DEPENDS "${TESSARY_GENERATED}/tessary.manifest")
    endif()
    string(APPEND listed "$<TARGET_FILE:${target}>\n")
  endforeach()
  file(GENERATE OUTPUT "${TESSARY_GENERATED}/windows_programs.txt" CONTENT "${listed}")
endfunction()

# Shipped programs carry no debug information: it moves to <program>.debug beside them,
# found again through a GNU debug link by gdb and winedbg. The programs that tests run are
# the stripped ones, so what is tested is what ships.
option(TESSARY_SPLIT_DEBUG "Move the shipped programs' debug information to .debug files" ON)
function(tessary_split_debug target)
  if(NOT TESSARY_SPLIT_DEBUG)
    return()
  endif()
  set(program "$<TARGET_FILE:${target}>")
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND "${CMAKE_OBJCOPY}" --only-keep-debug "${program}" "${program}.debug"
    COMMAND "${CMAKE_OBJCOPY}" --strip-debug --strip-unneeded "${program}"
    COMMAND "${CMAKE_OBJCOPY}" "--add-gnu-debuglink=${program}.debug" "${program}"
    WORKING_DIRECTORY "$<TARGET_FILE_DIR:${target}>"
    VERBATIM)
endfunction()


# Shipped programs leave a linker map beside them (<program>.map): scripts/notices reads
# from it which libraries went into the program, so that none ships without its notice.
function(tessary_link_map target)
  target_link_options(${target} PRIVATE "LINKER:-Map=$<TARGET_FILE:${target}>.map")
endfunction()

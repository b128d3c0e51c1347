# Who made the programs and what each one is, stated once: the banner, the
# Windows version resource, the man pages and the packages all read it.
# The maker's lines come from ORVELLA_* variables set before this is included.
set(ORVELLA_IDENTITY_DIR ${PROJECT_BINARY_DIR}/identity)
configure_file(${CMAKE_CURRENT_LIST_DIR}/orvella_identity.h.in ${ORVELLA_IDENTITY_DIR}/orvella_identity.h @ONLY)

# orvella_program_identity(<executable> LIBRARY <lib> VERSION a.b.c.d DESCRIPTION <text>)
# LIBRARY is the target whose driver fills the banner record.
function(orvella_program_identity target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "LIBRARY;VERSION;DESCRIPTION" "")
  if(NOT arg_VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
    message(FATAL_ERROR "${target}: VERSION must have four numbers, not '${arg_VERSION}'")
  endif()
  set(PROGRAM_NAME ${target})
  set(PROGRAM_DESCRIPTION "${arg_DESCRIPTION}")
  set(PROGRAM_FULL_VERSION ${arg_VERSION})
  set(PROGRAM_SHORT_VERSION "${CMAKE_MATCH_1}.${CMAKE_MATCH_2}.${CMAKE_MATCH_3}")
  # "030" must stay 30 in the resource: its compiler reads a leading 0 as octal.
  set(numbers "")
  foreach(i 1 2 3 4)
    math(EXPR n "${CMAKE_MATCH_${i}}")
    list(APPEND numbers ${n})
  endforeach()
  string(REPLACE ";" "," PROGRAM_VERSION_NUMBERS "${numbers}")

  set(dir ${CMAKE_CURRENT_BINARY_DIR}/identity)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/program_identity.h.in ${dir}/program_identity.h @ONLY)
  target_include_directories(${arg_LIBRARY} PRIVATE ${dir})
  if(WIN32)
    target_include_directories(${target} PRIVATE ${dir} ${PROJECT_SOURCE_DIR}/packaging/windows)
    target_sources(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/${target}.rc)
    set_property(SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/${target}.rc APPEND PROPERTY OBJECT_DEPENDS
                 ${dir}/program_identity.h ${ORVELLA_IDENTITY_DIR}/orvella_identity.h
                 ${PROJECT_SOURCE_DIR}/packaging/windows/version_info.rc
                 ${PROJECT_SOURCE_DIR}/packaging/windows/orvella.manifest)
  endif()
  # The C++ runtime linked in on Linux too: with one shared library fewer to
  # find, map and bind, a run starts more than a millisecond sooner (an
  # eighth of a run on a small file). The sanitizers bring their own.
  if(CMAKE_SYSTEM_NAME STREQUAL "Linux" AND NOT (ORVELLA_SANITIZE OR ORVELLA_TSAN OR ORVELLA_FUZZ))
    target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc)
  endif()
  set_target_properties(${target} PROPERTIES
    ORVELLA_DESCRIPTION "${arg_DESCRIPTION}"
    ORVELLA_FULL_VERSION ${arg_VERSION})
endfunction()

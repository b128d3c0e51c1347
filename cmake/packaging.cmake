# What ships: on Windows a flat ZIP of both programs, the user guide and the
# release notes; on Linux the GNU layout, with man pages, as a .tar.gz and a .deb.
set(ORVELLA_USER_GUIDE ${PROJECT_SOURCE_DIR}/packaging/user-guide.txt)
if(WIN32)
  install(TARGETS Kestrum Vandelo RUNTIME DESTINATION .)
  # CR LF, like every line the programs print: older Notepads show LF-only
  # text as one line. (@ONLY: the guide holds no @NAME@.)
  configure_file(${ORVELLA_USER_GUIDE} ${CMAKE_BINARY_DIR}/README.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${CMAKE_BINARY_DIR}/README.txt DESTINATION .)
  set(CPACK_GENERATOR ZIP)
else()
  include(GNUInstallDirs)
  install(TARGETS Kestrum Vandelo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${ORVELLA_USER_GUIDE} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/orvella RENAME README.txt)
  set(CPACK_GENERATOR TGZ DEB)
endif()

# Everything the packages hold, without the tests: what scripts/package builds.
add_custom_target(PackageContents)
add_dependencies(PackageContents Kestrum Vandelo)

# Made from each program's own extended help by running it, so only a native
# build can. Sanitizer and fuzzing builds are never shipped.
if(NOT WIN32 AND NOT CMAKE_CROSSCOMPILING AND NOT ORVELLA_SANITIZE AND NOT ORVELLA_TSAN AND NOT ORVELLA_FUZZ)
  # string(TIMESTAMP) takes SOURCE_DATE_EPOCH when it is set.
  string(TIMESTAMP ORVELLA_MAN_DATE "%Y-%m-%d" UTC)

  # HELP_EXIT_CODE: what "<program> --??" ends with; anything else means no help.
  function(orvella_man_page program help_exit_code)
    set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
    add_custom_command(OUTPUT ${page}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND sh ${PROJECT_SOURCE_DIR}/packaging/help-to-man $<TARGET_FILE:${program}> ${help_exit_code}
              $<TARGET_PROPERTY:${program},ORVELLA_FULL_VERSION> ${ORVELLA_MAN_DATE} ${ORVELLA_PRODUCT_NAME}
              $<TARGET_PROPERTY:${program},ORVELLA_DESCRIPTION> ${page}
      DEPENDS ${program} ${PROJECT_SOURCE_DIR}/packaging/help-to-man
      COMMENT "Making the man page ${program}.1 from ${program} --??"
      VERBATIM)
    # Debian wants man pages compressed; -n leaves out the time, so two builds give the same bytes.
    add_custom_command(OUTPUT ${page}.gz
      COMMAND gzip -9nkf ${page}
      DEPENDS ${page}
      VERBATIM)
    add_custom_target(${program}_man_page ALL DEPENDS ${page} ${page}.gz)
    add_dependencies(PackageContents ${program}_man_page)
    install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT Plain)
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT Debian EXCLUDE_FROM_ALL)
    if(ORVELLA_TESTS)
      add_test(NAME ManPage.${program}
               COMMAND sh ${PROJECT_SOURCE_DIR}/packaging/check-man-page $<TARGET_FILE:${program}> ${page})
      set_tests_properties(ManPage.${program} PROPERTIES SKIP_RETURN_CODE 77)
    endif()
  endfunction()

  orvella_man_page(Kestrum 255)
  orvella_man_page(Vandelo 99)
endif()

# The package has its own version (the changelog's); each program keeps its own.
get_target_property(ORVELLA_KESTRUM_VERSION Kestrum ORVELLA_FULL_VERSION)
get_target_property(ORVELLA_VANDELO_VERSION Vandelo ORVELLA_FULL_VERSION)
set(CPACK_PACKAGE_NAME Orvella)
set(CPACK_PACKAGE_VENDOR "${ORVELLA_COMPANY_NAME}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "syslog tally (Kestrum ${ORVELLA_KESTRUM_VERSION}) and flat-file reader (Vandelo ${ORVELLA_VANDELO_VERSION})")
set(CPACK_PACKAGE_DESCRIPTION "${ORVELLA_PRODUCT_NAME} ${PROJECT_VERSION}: two command-line programs.\n\
Kestrum ${ORVELLA_KESTRUM_VERSION} tallies the entries of a text syslog file per job or\n\
process name and prints a fixed-width report.\n\
Vandelo ${ORVELLA_VANDELO_VERSION} prints one value cut out of every line of a flat file.")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_NAME orvella)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(ORVELLA_DEB_MAINTAINER "Orvella project team <maintainers@orvella.invalid>"
    CACHE STRING "The Maintainer field of the .deb: name <e-mail>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ORVELLA_DEB_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The programs link the C and C++ runtimes dynamically on Linux.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(cmake/release-documents.cmake)
# The .deb takes Debian's documents in place of the plain ones (see release-documents.cmake).
set(CPACK_ORVELLA_DEB_PROJECTS "${CMAKE_BINARY_DIR};Orvella;Unspecified;/;${CMAKE_BINARY_DIR};Orvella;Debian;/")
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/cpack-per-generator.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/repack-packages.cmake)
include(CPack)

if(WIN32 AND ORVELLA_TESTS)
  add_subdirectory(packaging/tests)
endif()

if(WIN32 AND ORVELLA_TESTS AND CMAKE_OBJDUMP)
  # The programs must run from a bare folder: no runtime DLLs beside them,
  # and no system DLL beyond the three they import.
  add_test(NAME StaticExecutables
           COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP}
                   "-DFILES=$<TARGET_FILE:Kestrum>|$<TARGET_FILE:Vandelo>"
                   "-DPINNED=kernel32|msvcrt|user32"
                   -P ${PROJECT_SOURCE_DIR}/cmake/check-imports.cmake)
endif()

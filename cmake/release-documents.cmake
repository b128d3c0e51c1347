# What the packages say about themselves. From packaging/changelog: the
# release notes of the ZIP, the tarball and a plain install, which also name
# the programs with their versions, and the .deb's changelog.gz. Beside that
# the .deb has a machine-readable copyright; Debian's documents go into the
# .deb alone, like the compressed man pages. Included by packaging.cmake.
function(orvella_release_documents)
  set(changelog ${PROJECT_SOURCE_DIR}/packaging/changelog)
  set(documents ${CMAKE_BINARY_DIR}/documents)

  set(program_lines "")
  foreach(program Kestrum Vandelo)
    get_target_property(version ${program} ORVELLA_FULL_VERSION)
    get_target_property(description ${program} ORVELLA_DESCRIPTION)
    list(APPEND program_lines "${program} ${version}: ${description}")
  endforeach()
  if(WIN32)
    set(notes_line_ends crlf)
    set(notes_destination .)
  else()
    set(notes_line_ends lf)
    set(notes_destination ${CMAKE_INSTALL_DATAROOTDIR}/doc/orvella)
  endif()
  add_custom_command(OUTPUT ${documents}/RELEASE-NOTES.txt
    COMMAND ${CMAKE_COMMAND} -E make_directory ${documents}
    COMMAND sh ${PROJECT_SOURCE_DIR}/packaging/changelog-to-notes ${changelog} ${notes_line_ends}
            ${documents}/RELEASE-NOTES.txt "${ORVELLA_PRODUCT_NAME} ${PROJECT_VERSION}" ${program_lines}
    DEPENDS ${changelog} ${PROJECT_SOURCE_DIR}/packaging/changelog-to-notes
    COMMENT "Making the release notes from the changelog"
    VERBATIM)
  set(outputs ${documents}/RELEASE-NOTES.txt)
  install(FILES ${documents}/RELEASE-NOTES.txt DESTINATION ${notes_destination} COMPONENT Plain)

  if(NOT WIN32)
    # -n keeps the time out of the gzip header, so two builds give the same bytes.
    add_custom_command(OUTPUT ${documents}/changelog.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${documents}
      COMMAND ${CMAKE_COMMAND} -E copy ${changelog} ${documents}/changelog
      COMMAND gzip -9nf ${documents}/changelog
      DEPENDS ${changelog}
      VERBATIM)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/copyright.in ${documents}/copyright @ONLY)
    list(APPEND outputs ${documents}/changelog.gz)
    install(FILES ${documents}/changelog.gz ${documents}/copyright
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/orvella COMPONENT Debian EXCLUDE_FROM_ALL)
  endif()

  add_custom_target(ReleaseDocuments ALL DEPENDS ${outputs})
  add_dependencies(PackageContents ReleaseDocuments)
endfunction()
orvella_release_documents()

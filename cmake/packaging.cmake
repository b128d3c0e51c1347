# The release ZIP: both programs and the README, nothing else.
install(TARGETS Kestrum Vandelo RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Orvella)
set(CPACK_PACKAGE_VENDOR Orvella)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_STRIP_FILES ON)
include(CPack)

if(WIN32 AND ORVELLA_TESTS)
  add_subdirectory(packaging/tests)
endif()

if(WIN32 AND ORVELLA_TESTS AND CMAKE_OBJDUMP)
  # The programs must run from a bare folder: no runtime DLLs beside them.
  add_test(NAME StaticExecutables
           COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP}
                   "-DFILES=$<TARGET_FILE:Kestrum>|$<TARGET_FILE:Vandelo>"
                   -P ${PROJECT_SOURCE_DIR}/cmake/check-imports.cmake)
endif()

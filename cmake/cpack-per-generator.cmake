# Read by cpack once for each generator: the .deb is installed from the
# common files and the Debian ones only, the archives from all but those.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_INSTALL_CMAKE_PROJECTS "${CPACK_ORVELLA_DEB_PROJECTS}")
endif()

# What `cmake --install` puts in place and CPack archives, for the two
# products: Tarnwick-<version>-win64.zip from a Windows build (the installer,
# the extraction library with its host and header, and the command-line tools
# that run on Windows) and Pakloom-<version>-linux-<processor>.tar.gz from a
# native one (the extraction library, its host and header). The version is
# the project's, the same that the version resources carry.
#
# The library sits in bin/ beside pakloom-extract on both systems: hosts load
# it by path, and the tool loads the one beside itself.

include(GNUInstallDirs)

install(TARGETS pakloom pakloom-extract
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_BINDIR}
  # MinGW's import library: no host links the library.
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} EXCLUDE_FROM_ALL)
install(FILES extract/SevenZip/Pakloom.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

if(WIN32)
  install(TARGETS Tarnwick tarnwick-update tarnwick-client RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME Tarnwick-${PROJECT_VERSION}-win64)
else()
  set(CPACK_GENERATOR TGZ)
  set(CPACK_PACKAGE_FILE_NAME Pakloom-${PROJECT_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR})
endif()
set(CPACK_PACKAGE_VENDOR "Tarnwick Technologies")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
include(CPack)

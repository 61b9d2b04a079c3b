# `make package`: a Debian package of the program, its desktop entry and its icon.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quellmark)
set(CPACK_PACKAGE_VENDOR "Quellmark")
set(CPACK_PACKAGE_CONTACT "Quellmark developers <developers@quellmark.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Rewrites recorded tracks to play back without object icons")
# Lines of the long description stay under 80 characters, as Debian asks.
set(CPACK_PACKAGE_DESCRIPTION
    "Quellmark rewrites a recorded simulation track (.trk) so that it plays back
with the on-screen object icons switched off: it inserts icon toggles that step
the display from the state the recording starts in to off, and replaces every
recorded icon toggle with a command of your choice. Tracks open from the file
manager; quellmark-convert converts whole folders from the command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# Libraries come from the shared-library scan; the window's font and its SVG icon support are
# loaded at run time, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2, libqt6svg6")
include(GNUInstallDirs)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
# The license as the package's copyright file and a Debian changelog, where Debian looks for
# them. The MIME and desktop databases are brought up to date by the dpkg triggers of
# shared-mime-info and desktop-file-utils, which watch the folders these files go to.
set(DEBIAN_CHANGELOG ${CMAKE_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${DEBIAN_CHANGELOG}
    COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/data/changelog > ${DEBIAN_CHANGELOG}
    DEPENDS ${PROJECT_SOURCE_DIR}/data/changelog)
add_custom_target(debian-changelog ALL DEPENDS ${DEBIAN_CHANGELOG})
install(FILES ${DEBIAN_CHANGELOG} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quellmark)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quellmark RENAME copyright)
include(CPack)

# `make package`: a Debian package of the program, its desktop entry and its icon.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quellmark)
set(CPACK_PACKAGE_VENDOR "Quellmark")
set(CPACK_PACKAGE_CONTACT "Quellmark developers <developers@quellmark.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Rewrites recorded tracks to play back without object icons")
set(CPACK_PACKAGE_DESCRIPTION
    "Quellmark rewrites a recorded simulation track (.trk) so that it plays back with the \
on-screen object icons switched off: it inserts icon toggles that step the display from the \
state the recording starts in to off, and replaces every recorded icon toggle with a command \
of your choice.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# Libraries come from the shared-library scan; the window's font and its SVG icon support are
# loaded at run time, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2, libqt6svg6")
include(CPack)

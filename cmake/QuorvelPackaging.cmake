# `cpack -G DEB` in the build folder makes quorvel_<version>_<arch>.deb of what
# `cmake --install` puts in place.
set(CPACK_PACKAGE_NAME quorvel)
set(CPACK_PACKAGE_VENDOR "The Quorvel developers")
set(CPACK_PACKAGE_CONTACT "The Quorvel developers <quorvel@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "clipboard text palette with a settings editor")
set(CPACK_PACKAGE_DESCRIPTION
    "A narrow palette of buttons: a click runs a regular-expression replace over the\n"
    "clipboard text, puts a stored snippet on the clipboard, or opens a file, folder or\n"
    "address. QuorvelMate edits the palette's setting files.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Library packages from dpkg-shlibdeps; Qt's window system plugins are only recommended
# by its libraries, and without them no window opens.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# Japanese dialog texts, a font with Japanese glyphs, and the desktop's opener for links.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "qt6-translations-l10n, fonts-noto-cjk | fonts-ipafont-gothic, xdg-utils")
include(CPack)

# The Debian package, built by CPack (scripts/package): volterne_<version>_<arch>.deb, its library
# dependencies computed by dpkg-shlibdeps from the installed programs.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME volterne)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The Volterne developers <volterne@volterne.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://volterne.org/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's X11 and offscreen platform plugins come with libqt6gui6, which dpkg-shlibdeps finds. Qt's
# French translations make the standard dialogs speak French; xdg-utils opens the spreadsheet
# with the desktop's program; Wayland desktops use Qt's own plugin.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-wayland")
# CPack indents the lines after the synopsis and turns empty lines into paragraph breaks.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"companion of a three-channel serial data-logger board
Volterne talks to a three-channel data-logger board built around a PIC 16F88
micro-controller, over a serial port at 9600 baud. From one French-language
window it connects to the board, erases its memory, downloads the recorded
samples into a dated text file, sends a new acquisition period, watches the
board live and reads the micro-controller's internal EEPROM.

Recordings open in the window with a chart of the three channels and convert
into semicolon-separated spreadsheet files. The volterne-convert command
converts many recordings at once and can draw each chart as a PNG image;
volterne-board-sim simulates the board on a pseudo-terminal.")
include(CPack)

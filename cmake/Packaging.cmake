# The Debian package, built by `cmake --build <dir> --target package` from a
# Release build configured with -DCMAKE_INSTALL_PREFIX=/usr.
include(GNUInstallDirs)

set(KAIROS_PACKAGE_CONTACT "The Kairos developers <${KAIROS_MAIL_ADDRESS}>" CACHE STRING
    "The package's maintainer, as \"Name <address>\"")

# Debian wants the copyright beside every package's documentation.
string(REGEX REPLACE "^Copyright *(\\([Cc]\\))? *" "" copyright_holders "${KAIROS_COPYRIGHT}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian-copyright.in ${CMAKE_BINARY_DIR}/debian/copyright @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/debian/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kairos)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kairos)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${KAIROS_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small desktop clock with alarms, an hourly chime and SNTP")
# Wrapped as Debian shows it; CPack indents the lines.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
       "Kairos is a small borderless window with the time above the date. It"
       "lives in the notification area, plays alarms and an hourly or"
       "half-hourly chime, and corrects the computer's clock from a network"
       "time server by SNTP. Its interface is in Japanese.")
set(CPACK_PACKAGE_HOMEPAGE_URL "${KAIROS_WEB_SITE}")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the program reaches without linking to it: xdg-open for files and
# links, the Japanese face its texts are drawn in, Qt's Japanese texts for
# its file dialog and buttons, and a sound server.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "xdg-utils, fonts-ipafont-gothic, qt6-translations-l10n, pulseaudio | pipewire-pulse")

# `--target package_source`: the tree as it is, without builds or history.
set(CPACK_SOURCE_GENERATOR TXZ)
set(CPACK_SOURCE_IGNORE_FILES "/build/" "/\\.git/")

include(CPack)

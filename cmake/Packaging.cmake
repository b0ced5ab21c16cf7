# SPDX-License-Identifier: GPL-3.0-or-later
# `cpack -G DEB` in a build directory makes one Debian package of everything
# `cmake --install` puts in place: both programs and their desktop files.
set(CPACK_PACKAGE_NAME scrlab)
set(CPACK_PACKAGE_VENDOR "scrlab maintainers")
set(CPACK_PACKAGE_CONTACT "${SCRLAB_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "inspect and edit ZX Spectrum screen images")
set(CPACK_PACKAGE_DESCRIPTION
    "scrlab shows a ZX Spectrum .scr screen (6144 bytes of bitmap, 768 bytes of
attributes) as a monochrome and a colour view and applies whole-screen and
attribute byte operations to it. scrtool runs the same operations on files from
the command line, writes PNG pictures and makes thumbnails for file managers.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/COPYING)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # scrlab_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps (package dpkg-dev) reads the libraries the installed programs
# link and declares the packages that hold them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Installed directories belong to the system packages, not to us.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)

# SPDX-License-Identifier: MIT

# `cpack` in a release build directory makes a Debian package that installs under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zomvorn)
set(CPACK_PACKAGE_VENDOR "The ZOMIRA -VORNA- developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "ZOMIRA -VORNA-: random-dot stereogram maker")
# Each line at most 79 characters: Debian shows the description indented by one space.
set(CPACK_PACKAGE_DESCRIPTION [[
Paint a depth map of 16 height levels by stamping discs with the mouse, or
load a bitmap as the depth map; the program turns it into a random-dot
stereogram tinted red, green or blue, shows it and saves it as a Windows
bitmap file. The user interface is in Japanese.
.
The command zomvorn-cli makes the same stereograms from the command line,
in batches, reads back the depth map a stereogram hides, and turns grey depth
maps into depth maps of the 16 levels.]])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "ZOMIRA -VORNA- developers <zomvorn@users.noreply.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so dpkg-shlibdeps cannot see them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, fonts-ipafont-gothic")
# The program's own windows on a Wayland desktop instead of through XWayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
include(CPack)

# `cpack` in a release build directory makes a Debian package that installs under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zomvorn)
set(CPACK_PACKAGE_VENDOR "ZOMIRA")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "ZOMIRA -VORNA-: random-dot stereogram maker")
set(CPACK_PACKAGE_DESCRIPTION "Paint a depth map of 16 height levels or load a bitmap, turn it
into a tinted random-dot stereogram, view it and save it as a Windows bitmap. Japanese interface.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "ZOMIRA developers <zomvorn@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so dpkg-shlibdeps cannot see them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, fonts-ipafont-gothic")
include(CPack)

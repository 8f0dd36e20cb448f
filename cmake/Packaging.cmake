# The Debian package that `cpack -G DEB` makes in the build tree (`make deb`):
# what `cmake --install` installs, under /usr, depending on the packages of
# the shared libraries the programs link, as dpkg-shlibdeps (dpkg-dev) finds
# them.
set(MARLOW_PACKAGE_MAINTAINER
    "Marlow Fieldwalk maintainers <maintainers@marlow-fieldwalk.invalid>"
    CACHE STRING "The Debian package's Maintainer field: a name and an e-mail address")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME marlow-fieldwalk)
set(CPACK_PACKAGE_VENDOR "Marlow Fieldwalk")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "wireless site-survey recorder")
# The extended description as dpkg shows it: lines under 80 characters.
set(CPACK_PACKAGE_DESCRIPTION [[
A surveyor opens a site file (a floor plan and its survey points), walks
the site and taps the map where they stand; an 802.11 analyzer board on a
serial line, or the computer's own Wi-Fi adapter, reports the access points
heard, and each point is stored and painted in the colour of its best
signal. With the site-file tool tws, the board simulator boardsim, and
boardcheck and wifiboard for the board and the adapter.]])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${MARLOW_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)

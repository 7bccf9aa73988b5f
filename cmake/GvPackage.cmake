# The Debian package, made by CPack from the release build:
#   cmake --build build-release && (cd build-release && cpack -G DEB)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME geovista3d)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The package's own revision: the first packaging of this version.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_PACKAGE_VENDOR Quorvane)
set(CPACK_PACKAGE_CONTACT "Geovista 3D developers <developers@geovista3d.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Geovista 3D developers <developers@geovista3d.example>")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://geovista3d.example/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS xscreensaver)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The summary line; CPack puts the long description under it.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "living Earth as a lit 3D globe, and a screen saver")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Geovista 3D shows the Earth in real time as a lit globe floating in space:
the sun's light falls where it falls now, the moon stands where the lunar
theory puts it, real satellite clouds are fetched over HTTP or HTTPS and laid
over the globe, and the cities you choose carry their names and local time.
Eight cameras glide from one view to the next.
.
The package has the globe (Geovista), which runs as an application or as a
screen saver for XScreenSaver, and its settings and places editor
(GeovistaC). Settings are kept per user in ~/.local/share/geovista3d/.")
include(CPack)

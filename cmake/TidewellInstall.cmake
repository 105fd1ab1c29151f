# Install layout (GNUInstallDirs): the programs in bin/, the shipped data files
# in share/tidewell/ where AppPaths looks for them, and the desktop files
# (launcher, icons, AppStream metainfo) where the desktop finds them.

install(TARGETS tidewell tidewell-cli RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(TARGETS tidewell-cli-full RUNTIME DESTINATION "${TIDEWELL_INSTALL_LIBEXECDIR}")

file(GLOB tidewell_shipped_data CONFIGURE_DEPENDS LIST_DIRECTORIES false "${PROJECT_SOURCE_DIR}/data/*")
list(FILTER tidewell_shipped_data EXCLUDE REGEX "/CMakeLists\\.txt$")
install(FILES ${tidewell_shipped_data} DESTINATION "${TIDEWELL_INSTALL_DATADIR}")

set(desktop_dir "${PROJECT_SOURCE_DIR}/data/desktop")
install(FILES "${desktop_dir}/${TIDEWELL_DESKTOP_ID}.desktop" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${desktop_dir}/${TIDEWELL_DESKTOP_ID}.metainfo.xml" DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES "${desktop_dir}/icons/tidewell-${size}.png"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps"
          RENAME "${TIDEWELL_DESKTOP_ID}.png")
endforeach()
install(FILES "${desktop_dir}/icons/tidewell.svg" DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps"
        RENAME "${TIDEWELL_DESKTOP_ID}.svg")

# Debian package (cpack -G DEB): the dependencies come from the shared
# libraries the programs link, found by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME "tidewell")
set(CPACK_PACKAGE_VENDOR "${TIDEWELL_COMPANY_NAME}")
set(CPACK_PACKAGE_CONTACT "Tidewell Project <tidewell@tidewell.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop reader for web feeds (RSS, ATOM, podcasts)")
set(CPACK_PACKAGE_DESCRIPTION
    "Tidewell reads RSS 2.0, RSS 1.0 and ATOM feeds and podcasts, files them under categories and checks them\n"
    "on a schedule from the tray. tidewell-cli offers the same logic for scripts.")
set(CPACK_PACKAGE_HOMEPAGE_URL "${PROJECT_HOMEPAGE_URL}")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "net")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's plugins are loaded at run time, where dpkg-shlibdeps cannot see them,
# and Debian ships them apart from the libraries: without the SQLite driver
# the item index (counts, search, Starred) stays empty, and the platform
# plugins are what the window is drawn with (xcb lives in libqt6gui6 on
# bookworm, the rest in qt6-qpa-plugins). shlibdeps adds its list to these.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, qt6-qpa-plugins")
set(CPACK_STRIP_FILES ON)
include(CPack)

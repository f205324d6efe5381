# What `cmake --install` puts under a prefix, and the Debian package made from the same rules:
#   bin/orris-hollows
#   share/applications/orris-hollows.desktop
#   share/icons/hicolor/scalable/apps/orris-hollows.svg
#   share/metainfo/app.orris_hollows.OrrisHollows.metainfo.xml
# Packages come from the default build, whose libraries are static: a build with
# ORRIS_SHARED_LIBS installs the same files, but its executable needs the build tree's libraries.

include(GNUInstallDirs)

set(ORRIS_DESKTOP_DIR ${PROJECT_SOURCE_DIR}/resources/desktop)
set(ORRIS_METAINFO_ID app.orris_hollows.OrrisHollows)

# The built executable sits at <build>/bin/orris-hollows whatever folder defines it, so that
# script/run and the README can name it.
set_target_properties(orris-hollows PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

install(TARGETS orris-hollows RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The menu entry starts the installed executable by its full path, which is only known when the
# install runs (`--prefix` or the package's /usr); a ~/.local/bin that is not yet on the session's
# PATH would otherwise leave the entry dead.
set(ORRIS_DESKTOP_ENTRY ${CMAKE_CURRENT_BINARY_DIR}/orris-hollows.desktop)
install(CODE "
    set(ORRIS_DESKTOP_TEMPLATE \"${ORRIS_DESKTOP_DIR}/orris-hollows.desktop.in\")
    set(ORRIS_DESKTOP_ENTRY \"${ORRIS_DESKTOP_ENTRY}\")
    set(ORRIS_EXECUTABLE \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/orris-hollows\")
    include(\"${CMAKE_CURRENT_LIST_DIR}/OrrisDesktopEntry.cmake\")")
install(FILES ${ORRIS_DESKTOP_ENTRY} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${ORRIS_DESKTOP_DIR}/orris-hollows.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${ORRIS_DESKTOP_DIR}/${ORRIS_METAINFO_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# cpack -G DEB: the package installs under /usr. CPACK_SET_DESTDIR keeps CMAKE_INSTALL_PREFIX at
# /usr while the files are staged, so the menu entry names /usr/bin/orris-hollows.
set(CPACK_PACKAGE_NAME orris-hollows)
set(CPACK_PACKAGE_VENDOR "Orris Hollows")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Reusable prompts for AI coding agents, one click away")
set(CPACK_PACKAGE_DESCRIPTION "A tray accessory that keeps a library of reusable text prompts for AI coding agents in
hand-editable YAML files, notices the app and project folder you work in, and copies the chosen
prompt to the clipboard from a floating panel.")
set(CPACK_PACKAGE_HOMEPAGE_URL https://orris-hollows.app)
set(CPACK_PACKAGE_CONTACT "Orris Hollows developers")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# Debian 12's packages of the libraries the executable links; the xcb platform plugin ships in
# libqt6gui6 there. libcanberra is loaded only when a copy sound plays, so the app runs without it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6, libstdc++6, libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), libqt6concurrent6 (>= 6.4), libxcb1, libxcb-keysyms1, libxcb-shape0")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libcanberra0, sound-theme-freedesktop")
include(CPack)

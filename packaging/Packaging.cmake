# Installing like a desktop program, and the Debian package (make package).
include(GNUInstallDirs)

install(TARGETS kayoiji RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(PROGRAMS ${CMAKE_CURRENT_LIST_DIR}/kayoiji-autostart DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/kayoiji.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 48 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/data/icons/kayoiji-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME kayoiji.png)
endforeach()

# The sample the start at log-in copies: CR LF line ends, as the program writes.
file(READ ${CMAKE_CURRENT_LIST_DIR}/ConfFile.sample.txt sample)
string(REPLACE "\n" "\r\n" sample "${sample}")
file(WRITE ${CMAKE_BINARY_DIR}/ConfFile.dat "${sample}")
install(FILES ${CMAKE_BINARY_DIR}/ConfFile.dat DESTINATION ${CMAKE_INSTALL_DATADIR}/kayoiji)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kayoiji)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Kayoiji developers <kayoiji@example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "connects network shares to drive letters at log-in")
set(CPACK_PACKAGE_DESCRIPTION
    "Kayoiji maps SMB network shares to drive letters (links in ~/Drives) when the user logs in, waiting for the network and retrying each connection up to its own limit, then ends by itself.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the program needs at run time beyond the libraries it links.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, qt6-translations-l10n, gvfs, gvfs-backends, gvfs-fuse, dbus, fonts-ipafont-gothic")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)

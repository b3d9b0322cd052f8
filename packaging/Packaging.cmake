# Installing like a desktop program, and the Debian package (make package).
include(GNUInstallDirs)

install(TARGETS kayoiji kayoiji_reconnect_program RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
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

# Debian's documentation: the manual pages (English and Japanese, compressed
# as Debian wants them: gzip -9n), the copyright and the package's changelog.
find_program(KAYOIJI_GZIP gzip REQUIRED)
set(docs ${CMAKE_BINARY_DIR}/packaging)
set(compressed)
foreach(page man/kayoiji.1 man/kayoiji-autostart.1 man/kayoiji-reconnect.1 man/ja/kayoiji.1
        man/ja/kayoiji-autostart.1 man/ja/kayoiji-reconnect.1 changelog)
  set(out ${docs}/${page}.gz)
  set(source ${CMAKE_CURRENT_LIST_DIR}/${page})
  # A page with the build's values in it (the watcher's settle default).
  if(EXISTS ${source}.in)
    configure_file(${source}.in ${docs}/${page} @ONLY)
    set(source ${docs}/${page})
  endif()
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${docs}/man/ja
    COMMAND ${KAYOIJI_GZIP} -9n -c ${source} > ${out}
    DEPENDS ${source} VERBATIM)
  list(APPEND compressed ${out})
endforeach()
add_custom_target(kayoiji_docs ALL DEPENDS ${compressed})
install(FILES ${docs}/man/kayoiji.1.gz ${docs}/man/kayoiji-autostart.1.gz
              ${docs}/man/kayoiji-reconnect.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${docs}/man/ja/kayoiji.1.gz ${docs}/man/ja/kayoiji-autostart.1.gz
              ${docs}/man/ja/kayoiji-reconnect.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/ja/man1)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME kayoiji)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kayoiji)
install(FILES ${docs}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kayoiji
        RENAME changelog.Debian.gz)

# The package's own revision, which the changelog's first entry must name.
set(KAYOIJI_DEBIAN_REVISION 1)
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/changelog newest LIMIT_COUNT 1)
if(NOT newest MATCHES "^kayoiji \\(${PROJECT_VERSION}-${KAYOIJI_DEBIAN_REVISION}\\) ")
  message(FATAL_ERROR "packaging/changelog: the first entry is not ${PROJECT_VERSION}-${KAYOIJI_DEBIAN_REVISION}")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kayoiji)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Kayoiji developers <kayoiji@example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "connects network shares to drive letters at log-in")
# Lines of at most 80 characters in the package's description.
set(CPACK_PACKAGE_DESCRIPTION
    "Kayoiji maps SMB network shares to drive letters (links in ~/Drives) when\n"
    "the user logs in, waiting for the network and retrying each connection up\n"
    "to its own limit, then ends by itself. An optional resident watcher\n"
    "reconnects them after a network change or a resume. The interface is\n"
    "Japanese.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_PACKAGE_RELEASE ${KAYOIJI_DEBIAN_REVISION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the program needs at run time beyond the libraries it links.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, qt6-translations-l10n, gvfs, gvfs-backends, gvfs-fuse, dbus, fonts-ipafont-gothic")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)

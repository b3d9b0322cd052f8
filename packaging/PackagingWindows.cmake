# The Windows program as it ships (make windows): a per-user installer made
# with NSIS, Kayoiji-<version>-win64-setup.exe, and a portable zip. Both carry
# Kayoiji.exe, the sample configuration as ConfFile.dat beside it and the
# licence notices in licenses\; Kayoiji-<version>-win64-relink.zip beside
# them holds what relinking the program against another Qt needs.
install(TARGETS kayoiji kayoiji_reconnect_program RUNTIME DESTINATION .)

# The sample with CR LF line ends, as the program writes its file.
file(READ ${CMAKE_CURRENT_LIST_DIR}/ConfFile.sample.txt sample)
string(REPLACE "\n" "\r\n" sample "${sample}")
file(WRITE ${CMAKE_BINARY_DIR}/windows/ConfFile.dat "${sample}")
install(FILES ${CMAKE_BINARY_DIR}/windows/ConfFile.dat DESTINATION .)

# The notices of every component compiled into Kayoiji.exe, from the list
# beside the Qt build script and the texts that Qt build kept: licenses\
# beside the program in both packages, and one text for the installer's page.
# The relinking archive goes next to the installer and the zip: the
# program's own objects and libraries, its link command, Qt's version and
# options. Both need the static Qt of scripts/build-qt-windows.sh.
if(KAYOIJI_QT_PREFIX)
  set(KAYOIJI_QT_NOTES ${KAYOIJI_QT_PREFIX}/kayoiji-notes)
  set(KAYOIJI_COMPONENTS ${PROJECT_SOURCE_DIR}/scripts/windows-components.ini)
  set(licenses_dir ${CMAKE_BINARY_DIR}/windows/licenses)
  set(notices_file ${CMAKE_BINARY_DIR}/windows/notices.txt)
  add_custom_command(OUTPUT ${licenses_dir}/README.txt ${notices_file}
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/scripts/windows-licenses.py write
            ${KAYOIJI_COMPONENTS} ${KAYOIJI_QT_NOTES} ${licenses_dir} ${notices_file}
    DEPENDS ${KAYOIJI_COMPONENTS} ${PROJECT_SOURCE_DIR}/scripts/windows-licenses.py
            ${KAYOIJI_QT_NOTES}/.complete
    COMMENT "Licence notices of Kayoiji.exe"
    VERBATIM)
  add_custom_target(kayoiji_licenses ALL DEPENDS ${licenses_dir}/README.txt ${notices_file})
  install(DIRECTORY ${licenses_dir}/ DESTINATION licenses)
  set(CPACK_KAYOIJI_NOTICES ${notices_file})

  set(KAYOIJI_RELINK_ARCHIVE ${CMAKE_BINARY_DIR}/Kayoiji-${PROJECT_VERSION}-win64-relink.zip)
  add_custom_command(OUTPUT ${KAYOIJI_RELINK_ARCHIVE}
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/packaging/windows/relink-archive.py
            ${CMAKE_BINARY_DIR}/src/app/link-command ${KAYOIJI_QT_PREFIX} ${KAYOIJI_QT_NOTES}
            ${KAYOIJI_RELINK_ARCHIVE}
    DEPENDS kayoiji ${PROJECT_SOURCE_DIR}/packaging/windows/relink-archive.py
    COMMENT "Relinking archive of Kayoiji.exe"
    VERBATIM)
  add_custom_target(kayoiji_relink_archive ALL DEPENDS ${KAYOIJI_RELINK_ARCHIVE})
endif()

set(CPACK_GENERATOR "NSIS;ZIP")
set(CPACK_PACKAGE_NAME Kayoiji)
set(CPACK_PACKAGE_VENDOR "Kayoiji developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Kayoiji-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Kayoiji)
set(CPACK_STRIP_FILES ON)
# The installer script is our own (per user, Japanese); the per-generator
# file names are set in CPackWindowsOptions.cmake.
set(CPACK_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR}/windows)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/windows/CPackWindowsOptions.cmake)
set(CPACK_KAYOIJI_ICON ${PROJECT_SOURCE_DIR}/data/icons/kayoiji.ico)
include(CPack)

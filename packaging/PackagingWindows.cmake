# The Windows program as it ships (make windows): a per-user installer made
# with NSIS, Kayoiji-<version>-win64-setup.exe, and a portable zip. Both carry
# Kayoiji.exe and the sample configuration as ConfFile.dat beside it.
install(TARGETS kayoiji kayoiji_reconnect_program RUNTIME DESTINATION .)

# The sample with CR LF line ends, as the program writes its file.
file(READ ${CMAKE_CURRENT_LIST_DIR}/ConfFile.sample.txt sample)
string(REPLACE "\n" "\r\n" sample "${sample}")
file(WRITE ${CMAKE_BINARY_DIR}/windows/ConfFile.dat "${sample}")
install(FILES ${CMAKE_BINARY_DIR}/windows/ConfFile.dat DESTINATION .)

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

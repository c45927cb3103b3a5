# The Windows installer, kelvaro-<version>-win64.exe in the build folder, made
# by CPack with NSIS (scripts/build-installer.sh): kelvaro.exe, the phrase
# recordings wave\ and the example configuration examples\kelvaro.cfg under
# Program Files\Kelvaro; a Start-menu entry and an uninstaller listed in Apps.
# Only the standard NSIS pages, which screen readers read; /S installs and
# uninstalls without them.
#
# The Start-menu entry starts kelvaro.exe in its program folder, which tells
# the program to work in the operator's Documents\Kelvaro instead, made on
# its first start with a copy of the example kelvaro.cfg
# (src/platform/win32_user_folder.h). Neither an install nor the uninstaller
# touches that folder, so the operator's kelvaro.cfg and savmem.dat stay.

install(TARGETS kelvaro RUNTIME DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/examples/kelvaro.cfg DESTINATION examples)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright DESTINATION . RENAME copyright.txt)

set(CPACK_GENERATOR NSIS)
# The NSIS lines below are written into CPackConfig.cmake as they are.
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_NAME kelvaro)
set(CPACK_PACKAGE_VENDOR "Kelvaro developers")
set(CPACK_PACKAGE_VERSION ${KELVARO_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "talking front panel for the Yaesu FTX-1 transceiver")
set(CPACK_PACKAGE_FILE_NAME kelvaro-${KELVARO_VERSION}-win64)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_PACKAGE_INSTALL_DIRECTORY Kelvaro)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Kelvaro)
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/packaging/copyright)
set(CPACK_STRIP_FILES ON)

set(CPACK_NSIS_PACKAGE_NAME Kelvaro)
set(CPACK_NSIS_DISPLAY_NAME Kelvaro)
# A 64-bit installer for the 64-bit program: Program Files and the registry
# as the program sees them, and no 32-bit layer needed (nor under Wine).
set(CPACK_NSIS_DEFINES "  Target amd64-unicode")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_INSTALLED_ICON_NAME kelvaro.exe)
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
# A new version removes the old one's files first (without asking under /S).
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# The entry's "Start in" is the output folder at the time: the program folder.
set(CPACK_NSIS_CREATE_ICONS_EXTRA
    "  SetOutPath \"$INSTDIR\"\n  CreateShortCut \"$SMPROGRAMS\\$STARTMENU_FOLDER\\Kelvaro.lnk\" \"$INSTDIR\\kelvaro.exe\"")
set(CPACK_NSIS_DELETE_ICONS_EXTRA "  Delete \"$SMPROGRAMS\\$MUI_TEMP\\Kelvaro.lnk\"")

include(CPack)

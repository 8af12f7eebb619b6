# The Debian package, made by CPack's DEB generator from the install rules (scripts/package.sh).
# CPack fits a project whose install rules already describe the whole tree: the package is that
# tree plus its control data, with the version taken from the project's one version.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Corvane developers <corvane@halvex.example>")
set(CPACK_PACKAGE_VENDOR "Halvex")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "BIOS customisation tool for PC makers")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Corvane reads a motherboard vendor's BIOS map file and lets a PC maker decide
the default of every CMOS setup setting and whether it is locked or hidden,
fill in the SMBIOS strings, set the fan-control parameters, pick the optional
BIOS modules and the splash logo, and save it all in a workspace file.

From a workspace it writes what the production line needs: the INI file for
the DOS tool, resumable batch files, a media folder, a report and a BIOS
update file. The package holds the program, the cvk command line, the board
generator cvkgen, the component registration tool cvkreg and demo boards.")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://corvane.halvex.example/")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_LIST_DIR}/debian/postinst
    ${CMAKE_CURRENT_LIST_DIR}/debian/prerm
    ${CMAKE_CURRENT_LIST_DIR}/debian/postrm)
# The desktop database, the MIME database and the icon cache are refreshed by the file triggers
# of desktop-file-utils, shared-mime-info and hicolor-icon-theme: nothing to run here.
include(CPack)

# The Debian package "orvex": the setup folder under /usr/lib/orvex/setup and
# the menu entry "Instalar Orvex 2018". Each user then installs a writable
# Orvex18 tree of their own with Setup. Built from a release build with
#   cpack -G DEB --config <build>/CPackConfig.cmake
# Dependencies come from the shared libraries the programs link
# (dpkg-shlibdeps), plus 7-Zip, whose program Setup copies.

set(ORVEX_PACKAGE_DOC share/doc/orvex)
install(FILES ${PROJECT_SOURCE_DIR}/setup/debian/copyright
  DESTINATION ${ORVEX_PACKAGE_DOC} COMPONENT setup)
# The changelog, compressed without a time stamp as Debian wants it.
install(CODE "
  set(doc \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${ORVEX_PACKAGE_DOC}\")
  file(MAKE_DIRECTORY \"\${doc}\")
  execute_process(COMMAND gzip -9n -c \"${PROJECT_SOURCE_DIR}/setup/debian/changelog\"
    OUTPUT_FILE \"\${doc}/changelog.gz\" COMMAND_ERROR_IS_FATAL ANY)"
  COMPONENT setup)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Orvex")
set(CPACK_PACKAGE_CONTACT "Equipo Orvex <soporte@orvex.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "sworn-declaration file review and upload tools (set-up medium)")
set(CPACK_PACKAGE_DESCRIPTION
  "Orvex reviews fixed-length declaration files against the layout of their
form, reports every error with its line, and turns a clean file into the
stamped, zipped upload file. The package holds the set-up medium in
/usr/lib/orvex/setup: each user starts Instalar Orvex 2018 from the menu,
or runs setup with the option --install-to and a folder, to install a
writable copy of their own.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${ORVEX_SETUP_DESTINATION})
set(CPACK_DEBIAN_PACKAGE_DEPENDS "7zip")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};setup;/")
include(CPack)

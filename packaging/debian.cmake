# cpack -G DEB: dravel_<version>_amd64.deb, installed under /usr, with the
# shared libraries it needs found by dpkg-shlibdeps. The desktop's caches
# are refreshed by the triggers of the packages that own them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dravel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# No public address exists yet; the maintainer field names the developers on
# the building machine until one does.
set(CPACK_PACKAGE_CONTACT "Dravel 97 developers <dravel@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor and converter for PROM programmer data files")
# The summary is the synopsis; this is the body, each line indented by cpack.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Dravel 97 opens Intel HEX, Motorola S-record, Tektronix, Signetics, ASCII
HEX, RCA development, plain hex, TI-TXT and binary files, shows every byte
at its address in a sparse address space, edits them, prints hex dumps and
saves in the same or another format; it also writes C arrays, Verilog
memory images and Intel MIF files, and reads ELF files as the image a
programmer gets from them.

dravel-conv converts and inspects the same files from scripts.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
# Debian's rules: 0755 folders whatever the umask, documentation beside.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
install(FILES packaging/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/dravel)
find_program(GZIP_FOR_CHANGELOG gzip)
if(GZIP_FOR_CHANGELOG)
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/packaging/changelog.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging
    COMMAND ${GZIP_FOR_CHANGELOG} -9n -c ${PROJECT_SOURCE_DIR}/packaging/changelog
            > ${PROJECT_BINARY_DIR}/packaging/changelog.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog)
  add_custom_target(package_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
  install(FILES ${PROJECT_BINARY_DIR}/packaging/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/dravel)
endif()
include(CPack)

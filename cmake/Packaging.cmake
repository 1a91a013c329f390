# The Debian package: cpack -G DEB in the build folder gives pairwick_<version>_<arch>.deb.
set(CPACK_PACKAGE_NAME pairwick)
# All four parts: CPack's default would drop the last.
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Pairwick developers")
set(CPACK_PACKAGE_CONTACT "The Pairwick developers <maintainers@pairwick.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "find duplicate files and remove the copies you do not need")
# Lines of at most 80 characters, as Debian shows them.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Pairwick finds duplicate files on your drives and helps you get rid of them\n"
  "safely. Pick folders from the drive tree, set a few filters, press Start, and\n"
  "it lists every group of identical files (same size, same checksum, same\n"
  "bytes); mark the copies you do not need and send them to the trash, delete\n"
  "them for good, or move them to another folder.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Whatever the build type, the package carries the program without its debugging data.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PW_HOMEPAGE})
# Depends comes from dpkg-shlibdeps, from the libraries the binary really links.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

set(CPACK_GENERATOR DEB)
include(CPack)

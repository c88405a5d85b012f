# `make package`: a Debian package of the four programs and their desktop
# files. Its dependencies are computed by dpkg-shlibdeps from the libraries
# the programs link (the Qt 6 packages by name), not listed by hand.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kdx846)
set(CPACK_PACKAGE_VENDOR "KDX-846 test tool developers")
set(CPACK_PACKAGE_CONTACT "KDX-846 test tool developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "test and demonstration tool for the KDX-846 card dispenser")
# The control file's long description (after the summary), in lines short
# enough for a terminal.
string(JOIN "\n" CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "The operator's test and demonstration tool for the KDX-846 motorized card"
  "dispenser: one window beside the unit that connects over RS-232, drives the"
  "transport, works with the memory, CPU, SAM and contactless cards at its"
  "stations and shows every byte on the line."
  "."
  "With kdx846-sim, a simulated KDX-846 on a pseudo-terminal, kdx846-run,"
  "which runs console scripts without a window, and kdx846-results, which"
  "shows the runner's results database as tables and charts.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)

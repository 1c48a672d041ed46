# cpack -G DEB (or: cmake --build --preset default --target package): a Debian
# package of what cmake --install puts in place, under /usr.
set(CPACK_PACKAGE_NAME merid)
set(CPACK_PACKAGE_VENDOR "MeridDLLManager")
set(CPACK_PACKAGE_CONTACT "MeridDLLManager developers <merid@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Driver library for Italian fiscal printers, with meridctl, the print service meridd and a virtual printer")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION_SUMMARY}\n A point-of-sale program links the library (CMake package Merid::merid,\n pkg-config merid) to print on an Italian fiscal printer through the printer\n maker's CeFdll. meridctl runs host scripts and a demo day on the virtual printer; meridd\n prints JSON documents sent over HTTP.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)  # libc6, libstdc++6, libgcc-s1 from the binaries themselves
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
include(CPack)

# cmake --install: the published headers, the core library with a package
# configuration (find_package(Merid), target Merid::merid) and a pkg-config
# file, meridctl, and the virtual printer where meridctl looks for it.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set_target_properties(merid_core PROPERTIES EXPORT_NAME merid)
install(TARGETS merid_core EXPORT MeridTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/merid DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
        FILES_MATCHING PATTERN "*.h")
install(FILES ${PROJECT_BINARY_DIR}/include/merid/version.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/merid)
install(EXPORT MeridTargets NAMESPACE Merid:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Merid)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/MeridConfig.cmake.in
  ${PROJECT_BINARY_DIR}/MeridConfig.cmake INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Merid)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/MeridConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/MeridConfig.cmake ${PROJECT_BINARY_DIR}/MeridConfigVersion.cmake
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Merid)

if(NOT WIN32)
  set(MERID_PC_DL ${CMAKE_DL_LIBS})
  if(MERID_PC_DL)
    set(MERID_PC_DL "-l${MERID_PC_DL}")
  endif()
  # Relocatable: the prefix is found from where the .pc file lies.
  file(RELATIVE_PATH MERID_PC_UP /p/${CMAKE_INSTALL_LIBDIR}/pkgconfig /p)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/merid.pc.in ${PROJECT_BINARY_DIR}/merid.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/merid.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
  install(TARGETS meridctl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  if(TARGET meridd)
    install(TARGETS meridd RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
  # meridctl looks for the virtual printer beside itself, then in ../lib/merid.
  install(TARGETS ecr_sim LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/merid)
endif()

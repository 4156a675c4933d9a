# Installing Ostrel for hosts: the shared library, the headers a host needs, the CMake
# package (find_package(Ostrel)) and a pkg-config file; for users, quillon's manual page and
# its AppStream metainfo (beside its desktop entry, installed by host/CMakeLists.txt).
# The Debian packages are built from debian/ (tools/build-packages.sh).

include(CMakePackageConfigHelpers)

set(OSTREL_HOMEPAGE "https://example.org/ostrel")
set(OSTREL_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Ostrel)
set(OSTREL_INCLUDE_DIR ${CMAKE_INSTALL_INCLUDEDIR}/ostrel)

# The public headers (the file set of the target) keep the paths under which they include
# each other ("store/settingsstore.h"), relative to include/ostrel.
install(TARGETS ostrel EXPORT OstrelTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  FILE_SET HEADERS DESTINATION ${OSTREL_INCLUDE_DIR}
  FILE_SET generated_headers DESTINATION ${OSTREL_INCLUDE_DIR})

install(EXPORT OstrelTargets
  NAMESPACE Ostrel::
  FILE OstrelTargets.cmake
  DESTINATION ${OSTREL_CMAKE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/OstrelConfig.cmake.in
  ${PROJECT_BINARY_DIR}/OstrelConfig.cmake
  INSTALL_DESTINATION ${OSTREL_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/OstrelConfigVersion.cmake
  VERSION ${PROJECT_VERSION}
  COMPATIBILITY SameMajorVersion)
install(FILES
    ${PROJECT_BINARY_DIR}/OstrelConfig.cmake
    ${PROJECT_BINARY_DIR}/OstrelConfigVersion.cmake
  DESTINATION ${OSTREL_CMAKE_DIR})

# pkg-config: the prefix is found from the .pc file's own folder, so the file stays
# right wherever the tree is installed (cmake --install --prefix, a package).
file(RELATIVE_PATH OSTREL_PC_PREFIX_FROM_PCDIR
  /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
string(REGEX REPLACE "/$" "" OSTREL_PC_PREFIX_FROM_PCDIR "${OSTREL_PC_PREFIX_FROM_PCDIR}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/ostrel.pc.in ${PROJECT_BINARY_DIR}/ostrel.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/ostrel.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

if(TARGET quillon)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/quillon.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  # Software centres list Quillon from this file; its launchable is quillon.desktop.
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/org.example.ostrel.quillon.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

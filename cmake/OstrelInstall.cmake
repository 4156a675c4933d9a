# Installing Ostrel for hosts: the shared library, the headers a host needs, the CMake
# package (find_package(Ostrel)), a pkg-config file, and the Debian package built by CPack.

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

# The Debian package: one package "ostrel" with the library, its development files, the
# Qt Designer plugin and the quillon host.
set(CPACK_PACKAGE_NAME ostrel)
set(CPACK_PACKAGE_VENDOR "The Ostrel developers")
set(CPACK_PACKAGE_CONTACT "Ostrel developers <ostrel@example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "TC manager control for Qt hosts, with the Quillon launcher")
set(CPACK_PACKAGE_DESCRIPTION
  "Ostrel is a Qt 6 widget library holding ucTC, a manager for Duke Nukem 3D TC \
definitions and TC scripts. The package holds the shared library, its headers, CMake and \
pkg-config files, a Qt Designer plugin and the quillon demo launcher.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${OSTREL_HOMEPAGE})
find_program(OSTREL_DPKG_SHLIBDEPS dpkg-shlibdeps)
mark_as_advanced(OSTREL_DPKG_SHLIBDEPS)
if(OSTREL_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6widgets6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6core6 (>= 6.4), libqt6svg6 (>= 6.4), libsqlite3-0")
endif()
# The development files want the Qt headers and CMake files that they refer to.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-base-dev")
include(CPack)

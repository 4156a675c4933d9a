cmake_minimum_required(VERSION 3.25)
# cmake -P: builds the Debian package with CPack and checks what it holds.
include(${CMAKE_CURRENT_LIST_DIR}/scriptsupport.cmake)
require_variables(BUILD_DIR WORK_DIR CPACK DPKG_DEB VERSION)

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
run("cpack" ${CPACK} -G DEB --config ${BUILD_DIR}/CPackConfig.cmake -B ${WORK_DIR})
file(GLOB debs ${WORK_DIR}/ostrel_${VERSION}_*.deb)
list(LENGTH debs count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "expected one ostrel_${VERSION}_*.deb in ${WORK_DIR}, found: ${debs}")
endif()

# The files of each kind a user or a host needs; install_minimal_host checks the installed tree
# file by file.
run("dpkg-deb -c" ${DPKG_DEB} -c ${debs})
require_matches("the package" "${run_output}"
  "/usr/lib/([^\n ]*/)?libostrel\\.so\\.1\\.0\\.0\n"
  "/usr/lib/([^\n ]*/)?libostrel\\.so\\.1 -> libostrel\\.so\\.1\\.0\\.0"
  "/usr/include/ostrel/control/uctc\\.h\n"
  "/usr/lib/([^\n ]*/)?cmake/Ostrel/OstrelConfig\\.cmake\n"
  "/usr/lib/([^\n ]*/)?pkgconfig/ostrel\\.pc\n"
  "/usr/lib/([^\n ]*/)?qt6/plugins/designer/libostrel_designer\\.so\n"
  "/usr/bin/quillon\n"
  "/usr/share/applications/quillon\\.desktop\n"
  "/usr/share/mime/packages/quillon-tcs\\.xml\n"
  "/usr/share/icons/hicolor/scalable/apps/quillon\\.svg\n")

run("dpkg-deb -f" ${DPKG_DEB} -f ${debs} Package Version Depends)
set(fields "${run_output}")
require_matches("the control fields" "${fields}"
  "Package: ostrel\n" "Version: ${VERSION}\n" "Depends:[^\n]*libqt6widgets6" "Depends:[^\n]*libsqlite3-0")
message(STATUS "${debs}:\n${fields}")

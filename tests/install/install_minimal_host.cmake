cmake_minimum_required(VERSION 3.25)
# cmake -P: installs the build into a temporary prefix, checks what a host gets, then
# configures, builds and runs examples/minimal-host against that prefix only.
include(${CMAKE_CURRENT_LIST_DIR}/scriptsupport.cmake)
require_variables(BUILD_DIR EXAMPLE_DIR WORK_DIR GENERATOR CXX_COMPILER LIBDIR BINDIR)

file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
run("cmake --install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

# The library with its versioned name and links.
set(libdir ${prefix}/${LIBDIR})
require_files(${libdir}/libostrel.so.1.0.0 ${libdir}/libostrel.so.1 ${libdir}/libostrel.so)
if(NOT IS_SYMLINK ${libdir}/libostrel.so.1 OR NOT IS_SYMLINK ${libdir}/libostrel.so)
  message(FATAL_ERROR "libostrel.so and libostrel.so.1 should be links to the versioned file")
endif()
find_program(READELF readelf)
if(READELF)
  run("readelf" ${READELF} -d ${libdir}/libostrel.so.1.0.0)
  require_matches("libostrel's dynamic section" "${run_output}" "SONAME[^\n]*\\[libostrel\\.so\\.1\\]")
endif()

# Exactly the headers a host needs, no internals.
file(GLOB_RECURSE headers RELATIVE ${prefix}/include/ostrel ${prefix}/include/ostrel/*)
list(SORT headers)
set(expected_headers
  control/uctc.h form/scriptviewer.h
  ostrel_export.h
  platform/filedialog.h platform/formshower.h platform/messageboxes.h platform/platformservices.h
  platform/shell.h
  store/definitionstore.h store/memorysettingsstore.h store/settingsstore.h
  store/sqlitesettingsstore.h store/tcdefinition.h)
if(NOT headers STREQUAL expected_headers)
  message(FATAL_ERROR "installed headers: ${headers}\nexpected: ${expected_headers}")
endif()

# The CMake package refers to nothing of the build tree.
set(cmakedir ${libdir}/cmake/Ostrel)
require_files(${cmakedir}/OstrelConfig.cmake ${cmakedir}/OstrelConfigVersion.cmake ${cmakedir}/OstrelTargets.cmake)
file(GLOB target_files ${cmakedir}/OstrelTargets*.cmake)
foreach(f IN LISTS target_files)
  file(READ ${f} text)
  foreach(leak ostrel_settings ostrel_core "${BUILD_DIR}")
    string(FIND "${text}" "${leak}" at)
    if(NOT at EQUAL -1)
      message(FATAL_ERROR "${f} refers to ${leak}")
    endif()
  endforeach()
endforeach()

# pkg-config finds the headers and the library of this prefix.
find_program(PKG_CONFIG pkg-config)
if(PKG_CONFIG)
  set(ENV{PKG_CONFIG_PATH} ${libdir}/pkgconfig)
  run("pkg-config" ${PKG_CONFIG} --modversion ostrel)
  require_matches("ostrel.pc's version" "${run_output}" "^1\\.0\\.0")
  run("pkg-config" ${PKG_CONFIG} --cflags-only-I --libs-only-L ostrel)
  string(REGEX MATCH "-I([^ \n]*/include/ostrel)" _ "${run_output}")
  set(incdir ${CMAKE_MATCH_1})
  string(REGEX MATCH "-L([^ \n]*)" _ "${run_output}")
  set(pclibdir ${CMAKE_MATCH_1})
  if(NOT EXISTS "${incdir}/control/uctc.h" OR NOT EXISTS "${pclibdir}/libostrel.so")
    message(FATAL_ERROR "ostrel.pc points elsewhere:\n${run_output}")
  endif()
endif()

# The Designer plugin finds the library of its own prefix (through its RUNPATH; a
# distribution's build leaves it out, and the library is then found in the system's folder).
# Quillon links the library's code statically, with its own launcher: it needs no libostrel.
set(binaries)
if(DESIGNER_DIR)
  list(APPEND binaries ${prefix}/${DESIGNER_DIR}/libostrel_designer.so)
endif()
find_program(LDD ldd)
if(HOST)
  require_files(${prefix}/${BINDIR}/quillon)
  if(LDD)
    run("ldd" ${LDD} ${prefix}/${BINDIR}/quillon)
    if(run_output MATCHES "libostrel")
      message(FATAL_ERROR "quillon loads libostrel:\n${run_output}")
    endif()
  endif()
endif()
if(SKIP_INSTALL_RPATH)
  set(LDD "")
endif()
require_files(${binaries})
foreach(binary IN LISTS binaries)
  if(LDD)
    run("ldd" ${LDD} ${binary})
    string(REGEX MATCH "libostrel\\.so\\.1 => ([^ ]*)" _ "${run_output}")
    file(REAL_PATH "${CMAKE_MATCH_1}" resolved)
    file(REAL_PATH ${libdir}/libostrel.so.1 own)
    if(NOT resolved STREQUAL own)
      message(FATAL_ERROR "${binary} loads libostrel from '${CMAKE_MATCH_1}', not ${libdir}")
    endif()
  endif()
endforeach()

# A host that knows only the prefix.
run("configuring minimal-host" ${CMAKE_COMMAND} -S ${EXAMPLE_DIR} -B ${WORK_DIR}/build
  -G ${GENERATOR} -DCMAKE_MAKE_PROGRAM=${MAKE_PROGRAM} -DCMAKE_CXX_COMPILER=${CXX_COMPILER}
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH=${prefix}
  -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF)
file(STRINGS ${WORK_DIR}/build/CMakeCache.txt ostrel_dir REGEX "^Ostrel_DIR:")
if(NOT ostrel_dir MATCHES "=${cmakedir}$")
  message(FATAL_ERROR "minimal-host found another Ostrel: ${ostrel_dir}")
endif()
run("building minimal-host" ${CMAKE_COMMAND} --build ${WORK_DIR}/build)

# Every installed header compiles on its own, with nothing but the prefix: none of them
# reaches a header that is not installed.
set(headers_dir ${WORK_DIR}/headers)
set(sources)
foreach(header IN LISTS headers)
  string(MAKE_C_IDENTIFIER ${header} stem)
  file(WRITE ${headers_dir}/${stem}.cpp "#include <${header}>\n")
  list(APPEND sources ${stem}.cpp)
endforeach()
file(WRITE ${headers_dir}/main.cpp "int main() { return 0; }\n")
file(WRITE ${headers_dir}/CMakeLists.txt "cmake_minimum_required(VERSION 3.25)
project(each-header LANGUAGES CXX)
find_package(Ostrel 1.0 REQUIRED)
add_executable(each-header main.cpp ${sources})
target_link_libraries(each-header PRIVATE Ostrel::ostrel)
")
run("configuring the header check" ${CMAKE_COMMAND} -S ${headers_dir} -B ${headers_dir}/build
  -G ${GENERATOR} -DCMAKE_MAKE_PROGRAM=${MAKE_PROGRAM} -DCMAKE_CXX_COMPILER=${CXX_COMPILER}
  -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF)
run("building the header check" ${CMAKE_COMMAND} --build ${headers_dir}/build)

file(MAKE_DIRECTORY ${WORK_DIR}/config)
run("running minimal-host" ${CMAKE_COMMAND} -E env
  QT_QPA_PLATFORM=offscreen --unset=QT_QPA_PLATFORMTHEME XDG_CONFIG_HOME=${WORK_DIR}/config
  ${WORK_DIR}/build/minimal-host --quit-after-show)
require_matches("minimal-host's output" "${run_output}" "minimal-host: ucTC shown")
message(STATUS "minimal-host built and ran against ${prefix}")

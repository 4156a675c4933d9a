cmake_minimum_required(VERSION 3.25)
# cmake -P: quillon's desktop entry and the TC script MIME type agree with each other and
# pass the freedesktop tools, where those are installed.
include(${CMAKE_CURRENT_LIST_DIR}/scriptsupport.cmake)
require_variables(PACKAGING_DIR WORK_DIR)
set(type "text/x-quillon-tcs")

file(READ ${PACKAGING_DIR}/quillon.desktop entry)
foreach(line "MimeType=([^\n]*;)?${type};" "Exec=quillon %[fF]" "Icon=quillon" "Type=Application")
  if(NOT entry MATCHES "(^|\n)${line}(\n|$)")
    message(FATAL_ERROR "quillon.desktop has no line ${line}")
  endif()
endforeach()

file(READ ${PACKAGING_DIR}/quillon-tcs.xml mime)
require_matches("quillon-tcs.xml" "${mime}" "<mime-type type=\"${type}\">" "<glob pattern=\"\\*\\.tcs\"/>"
  "<sub-class-of type=\"text/plain\"/>" "<comment>Quillon TC script</comment>")
require_files(${PACKAGING_DIR}/quillon.svg)

# The validators print nothing for a file without faults, not even warnings.
function(run_silent what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0 OR NOT "${out}${err}" STREQUAL "")
    message(FATAL_ERROR "${what} (${rc}):\n${out}\n${err}")
  endif()
endfunction()

find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
  run_silent("desktop-file-validate" ${DESKTOP_FILE_VALIDATE} ${PACKAGING_DIR}/quillon.desktop)
endif()
find_program(XMLLINT xmllint)
if(XMLLINT)
  run_silent("xmllint" ${XMLLINT} --noout ${PACKAGING_DIR}/quillon-tcs.xml ${PACKAGING_DIR}/quillon.svg)
endif()

# The MIME database built from our file maps *.tcs to the type, a kind of plain text.
find_program(UPDATE_MIME_DATABASE update-mime-database)
if(UPDATE_MIME_DATABASE)
  file(REMOVE_RECURSE ${WORK_DIR})
  file(COPY ${PACKAGING_DIR}/quillon-tcs.xml DESTINATION ${WORK_DIR}/mime/packages)
  set(ENV{XDG_DATA_HOME} ${WORK_DIR})   # our folder is a searched one: no note about it
  run_silent("update-mime-database" ${UPDATE_MIME_DATABASE} ${WORK_DIR}/mime)
  file(READ ${WORK_DIR}/mime/globs2 globs)
  file(READ ${WORK_DIR}/mime/subclasses subclasses)
  if(NOT globs MATCHES ":${type}:\\*\\.tcs" OR NOT subclasses MATCHES "${type} text/plain")
    message(FATAL_ERROR "the MIME database does not know *.tcs:\n${globs}\n${subclasses}")
  endif()
endif()

cmake_minimum_required(VERSION 3.25)
# cmake -P: runs "quillon FILE" on the offscreen platform with a private config folder.
#   CASE window: no file, the launcher window opens; quillon ends with status 0;
#   CASE readable: the editor opens with the script's title, quillon ends with status 0;
#   CASE missing: a message naming the file on standard error and status 2 (why a file cannot
#   be opened is checked by ScriptViewer.AFileThatCannotBeLoadedShowsNothingAndSaysWhy).
include(${CMAKE_CURRENT_LIST_DIR}/scriptsupport.cmake)
require_variables(QUILLON WORK_DIR CASE)

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR}/config)
if(CASE STREQUAL "window")
  set(file "")
  set(expected_rc 0)
elseif(CASE STREQUAL "readable")
  set(file ${SCRIPT})
  set(expected_rc 0)
elseif(CASE STREQUAL "missing")
  set(file ${WORK_DIR}/nowhere/MISSING.TCS)
  set(expected_rc 2)
  set(expected_error "does not exist")
else()
  message(FATAL_ERROR "unknown CASE ${CASE}")
endif()

# --quit-after keeps a wrongly opened editor from blocking the test. The window looks for a
# launch journal and logs in the state folder: a private one, as are the data folder and store.
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen --unset=QT_QPA_PLATFORMTHEME
    XDG_CONFIG_HOME=${WORK_DIR}/config XDG_DATA_HOME=${WORK_DIR}/data XDG_STATE_HOME=${WORK_DIR}/state
    ${QUILLON} --quit-after 300 ${file}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 30)
if(NOT rc STREQUAL "${expected_rc}")
  message(FATAL_ERROR "quillon ended with ${rc}, expected ${expected_rc}\nstdout: ${out}\nstderr: ${err}")
endif()
if(CASE STREQUAL "window")
  if(NOT out MATCHES "closed \"Quillon\"\n" OR out MATCHES "TC Script")
    message(FATAL_ERROR "the launcher window did not show alone\nstdout: ${out}\nstderr: ${err}")
  endif()
elseif(CASE STREQUAL "readable")
  get_filename_component(title ${file} NAME)
  if(NOT out MATCHES "closed \"Quillon TC Script - ${title}\"")
    message(FATAL_ERROR "the script editor did not show ${title}\nstdout: ${out}\nstderr: ${err}")
  endif()
else()
  string(FIND "${err}" "${file}" names_file)
  if(NOT err MATCHES "${expected_error}" OR names_file EQUAL -1)
    message(FATAL_ERROR "expected a message naming ${file} (${expected_error}) on stderr\nstderr: ${err}")
  endif()
  if(out MATCHES "closed")
    message(FATAL_ERROR "a window was shown for an unreadable file: ${out}")
  endif()
endif()

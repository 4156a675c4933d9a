cmake_minimum_required(VERSION 3.25)
# cmake -P: quillon's manual page and AppStream metainfo, checked as distributions check them.
#   CASE metainfo: appstreamcli accepts the metainfo and the installed tree (metainfo, desktop
#     entry and icon where the install rules put them, so the launchable names a real entry);
#   CASE manpage: man renders quillon.1 without a warning, as lintian runs it;
#   CASE options: every option and exit status that quillon --help lists is in quillon.1.
# Prints "SKIPPED: ..." when the tool a case needs is not installed.
include(${CMAKE_CURRENT_LIST_DIR}/scriptsupport.cmake)
require_variables(CASE PACKAGING_DIR BUILD_DIR QUILLON WORK_DIR)
set(manpage ${PACKAGING_DIR}/quillon.1)

# Runs a command that must succeed and print nothing but what it prints on success.
function(run_clean what success_text)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(REPLACE "${success_text}" "" rest "${out}${err}")
  string(STRIP "${rest}" rest)
  if(NOT rc EQUAL 0 OR NOT rest STREQUAL "")
    message(FATAL_ERROR "${what} (${rc}):\n${out}\n${err}")
  endif()
endfunction()

# Ends the script with "SKIPPED" when program is not installed (a macro: return() ends the script).
macro(find_tool_or_skip var program package)
  find_program(${var} ${program})
  if(NOT ${var})
    message(STATUS "SKIPPED: ${program} (package ${package}) is not installed")
    return()
  endif()
endmacro()

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})

if(CASE STREQUAL "metainfo")
  find_tool_or_skip(APPSTREAMCLI appstreamcli appstream)
  set(prefix ${WORK_DIR}/prefix)
  run("cmake --install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
  file(GLOB metainfo ${prefix}/share/metainfo/*.metainfo.xml)
  list(LENGTH metainfo count)
  if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one installed metainfo file, found: ${metainfo}")
  endif()
  # --strict: an informational note fails too; --no-net: the URLs are not fetched.
  run_clean("appstreamcli validate" "✔ Validation was successful."
    ${APPSTREAMCLI} validate --no-net --strict --pedantic ${metainfo})
  run_clean("appstreamcli validate-tree" "✔ Validation was successful."
    ${APPSTREAMCLI} validate-tree --no-net --strict ${prefix})
  find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
  if(DESKTOP_FILE_VALIDATE)
    run_clean("desktop-file-validate" "" ${DESKTOP_FILE_VALIDATE} ${prefix}/share/applications/quillon.desktop)
  endif()
  require_files(${prefix}/share/man/man1/quillon.1 ${prefix}/share/icons/hicolor/scalable/apps/quillon.svg)
elseif(CASE STREQUAL "manpage")
  find_tool_or_skip(MAN man man-db)
  # lintian's way (UTF-8 terminal output), then plain; groff's warnings go to standard error.
  set(ENV{LC_ALL} C.UTF-8)
  set(ENV{MANWIDTH} 80)
  foreach(options "-E;UTF-8;-Tutf8;-Z" "")
    execute_process(COMMAND ${MAN} --warnings ${options} -l ${manpage}
      RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT rc EQUAL 0 OR NOT err STREQUAL "")
      message(FATAL_ERROR "man --warnings ${options} -l quillon.1 (${rc}):\n${err}")
    endif()
  endforeach()
  # The rendered page has every section a reader looks for.
  execute_process(COMMAND ${MAN} -l ${manpage} OUTPUT_VARIABLE text ERROR_QUIET)
  require_matches("the rendered manual page" "${text}"
    "\nNAME\n" "\nSYNOPSIS\n" "\nOPTIONS\n" "\nEXIT STATUS\n" "\nFILES\n" "\nEXAMPLES\n")
elseif(CASE STREQUAL "options")
  execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
      XDG_CONFIG_HOME=${WORK_DIR}/config ${QUILLON} --help
    RESULT_VARIABLE rc OUTPUT_VARIABLE help ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "quillon --help ended with ${rc}:\n${err}")
  endif()
  file(READ ${manpage} page)
  string(REGEX MATCHALL "[ ,]--[a-z][a-z-]*" options "${help}")
  list(TRANSFORM options REPLACE "^[ ,]" "")
  list(REMOVE_DUPLICATES options)
  list(LENGTH options count)
  if(count LESS 10)
    message(FATAL_ERROR "found only ${count} options in quillon --help:\n${help}")
  endif()
  set(missing)
  foreach(option IN LISTS options)
    # In roff source every hyphen of an option is \-.
    string(REPLACE "-" "\\-" escaped "${option}")
    string(FIND "${page}" "${escaped}" at)
    if(at EQUAL -1)
      list(APPEND missing ${option})
    endif()
  endforeach()
  # The exit statuses: lines "  N  text" at the end of --help, ".B N" items in the page.
  string(REGEX MATCHALL "\n  [0-9]+  " statuses "${help}")
  if(statuses STREQUAL "")
    message(FATAL_ERROR "no exit statuses in quillon --help:\n${help}")
  endif()
  # The section runs from its heading to the next one.
  string(FIND "${page}" "\n.SH EXIT STATUS\n" from)
  if(from EQUAL -1)
    message(FATAL_ERROR "quillon.1 has no EXIT STATUS section")
  endif()
  math(EXPR from "${from} + 1")
  string(SUBSTRING "${page}" ${from} -1 exit_section)
  string(FIND "${exit_section}" "\n.SH " to)
  string(SUBSTRING "${exit_section}" 0 ${to} exit_section)
  foreach(status IN LISTS statuses)
    string(STRIP "${status}" status)
    if(NOT exit_section MATCHES "\n\\.B ${status}\n")
      list(APPEND missing "exit status ${status}")
    endif()
  endforeach()
  if(missing)
    message(FATAL_ERROR "quillon.1 does not describe: ${missing}")
  endif()
else()
  message(FATAL_ERROR "unknown CASE ${CASE}")
endif()

cmake_minimum_required(VERSION 3.25)
# cmake -P: the shared library exports its public API and nothing else.
foreach(var LIBRARY NM CXXFILT)
  if(NOT ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()

# The classes and functions of the installed headers.
set(public
  ucTC
  ostrel::DefinitionStore ostrel::SettingsStore ostrel::MemorySettingsStore ostrel::SqliteSettingsStore
  ostrel::StoreError ostrel::PlatformServices
  ostrel::FileDialogBackend ostrel::MessageBoxes ostrel::Shell ostrel::FormShower
  ostrel::makeQtFileDialogBackend ostrel::makeQtMessageBoxes ostrel::makeDesktopShell ostrel::makeQtFormShower
  ostrel::openScriptInEditor ostrel::scriptFileProblem)
list(JOIN public "|" names)
# What the compiler and linker add: the linker's own symbols, instantiations of standard
# library templates, which their headers declare with default visibility, and the type
# information of function types.
set(allowed "^((typeinfo( name)? for |vtable for |non-virtual thunk to )?(${names})([:(<]|$)|typeinfo( name)? for [A-Za-z_]+ \\(|_init$|_fini$|__bss_start$|_edata$|_end$|(typeinfo( name)? for |vtable for |guard variable for )?(std|__gnu_cxx)::)")

execute_process(COMMAND ${NM} -D --defined-only --format=just-symbols ${LIBRARY}
  COMMAND ${CXXFILT}
  OUTPUT_VARIABLE symbols RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${NM} | ${CXXFILT} failed on ${LIBRARY}")
endif()
string(REPLACE ";" "\\;" symbols "${symbols}")
string(REPLACE "\n" ";" symbols "${symbols}")
set(stray)
set(count 0)
foreach(symbol IN LISTS symbols)
  if(symbol STREQUAL "")
    continue()
  endif()
  math(EXPR count "${count} + 1")
  if(NOT symbol MATCHES "${allowed}")
    list(APPEND stray "${symbol}")
  endif()
endforeach()
if(stray)
  list(JOIN stray "\n  " text)
  message(FATAL_ERROR "exported, but not public API:\n  ${text}")
endif()
foreach(name IN LISTS public)
  string(FIND "${symbols}" "${name}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${name} is public API but not exported")
  endif()
endforeach()
message(STATUS "${count} exported symbols, all of the public API")

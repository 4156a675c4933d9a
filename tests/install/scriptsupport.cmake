# Shared by the cmake -P test scripts of this folder.

# Stops the script unless every named variable was given with -D.
function(require_variables)
  foreach(var ${ARGN})
    if(NOT DEFINED ${var})
      message(FATAL_ERROR "${var} not given")
    endif()
  endforeach()
endfunction()

# Runs a command; stops the script with its output when it fails, else leaves its standard
# output in run_output.
function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${what} failed (${rc}):\n${out}\n${err}")
  endif()
  set(run_output "${out}" PARENT_SCOPE)
endfunction()

# Stops the script unless every given path exists.
function(require_files)
  foreach(path IN LISTS ARGN)
    if(NOT EXISTS "${path}")
      message(FATAL_ERROR "missing ${path}")
    endif()
  endforeach()
endfunction()

# Stops the script unless text matches each of the regular expressions (none may hold a ';').
function(require_matches what text)
  foreach(pattern IN LISTS ARGN)
    if(NOT text MATCHES "${pattern}")
      message(FATAL_ERROR "${what} lacks ${pattern}:\n${text}")
    endif()
  endforeach()
endfunction()

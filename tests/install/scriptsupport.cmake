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

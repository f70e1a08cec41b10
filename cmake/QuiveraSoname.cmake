# quivera_soname(<var> <library name> <directories>)
# Sets <var> to the SONAME of the shared library lib<name>.so found in <directories> (or the
# usual places), for a library the program loads with dlopen() when first needed instead of at
# start: the name the run-time linker would have looked for.
find_program(QUIVERA_READELF NAMES readelf REQUIRED)
function(quivera_soname var name)
  find_library(QUIVERA_SO_${name} NAMES ${name} HINTS ${ARGN} REQUIRED)
  execute_process(COMMAND ${QUIVERA_READELF} -d ${QUIVERA_SO_${name}}
    OUTPUT_VARIABLE dynamic RESULT_VARIABLE failed)
  string(REGEX MATCH "Library soname: \\[([^]]+)\\]" found "${dynamic}")
  if(failed OR NOT CMAKE_MATCH_1)
    message(FATAL_ERROR "No SONAME found in ${QUIVERA_SO_${name}}")
  endif()
  set(${var} ${CMAKE_MATCH_1} PARENT_SCOPE)
endfunction()

# Writes the vode-cli manual page from the program's own help, so the page
# never drifts from what the program accepts.
# Run as: cmake -DCLI=<vode-cli> -DOUT=<vode-cli.1> -DVERSION=<x.y> -P ManPage.cmake
foreach(var CLI OUT VERSION)
  if(NOT ${var})
    message(FATAL_ERROR "ManPage: pass -D${var}=...")
  endif()
endforeach()

function(help_of out)
  execute_process(COMMAND "${CLI}" ${ARGN} --help
    OUTPUT_VARIABLE text RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "ManPage: '${CLI} ${ARGN} --help' failed (${rc})")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Help text as preformatted roff: backslashes and leading dots or quotes would
# otherwise be read as requests.
function(roff_block out text)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${out} ".nf\n${text}.fi\n" PARENT_SCOPE)
endfunction()

help_of(main_help)
string(REGEX MATCH "Commands:\n(  [^\n]*\n)+" listing "${main_help}")
string(REGEX MATCHALL "\n  [a-z]+ " names "${listing}")
if(NOT names)
  message(FATAL_ERROR "ManPage: no commands found in the help of ${CLI}")
endif()

string(TIMESTAMP year "%Y" UTC)
roff_block(body "${main_help}")
string(CONCAT page ".TH VODE-CLI 1 \"${year}\" \"R.E.Z.U. Vode ${VERSION}\" \"User Commands\"\n"
         ".SH NAME\nvode-cli \\- breath sound analysis on the command line\n"
         ".SH SYNOPSIS\n.B vode-cli\n.I COMMAND\n[\\fIARGS\\fR...]\n"
         ".SH DESCRIPTION\n${body}.SH COMMANDS\n")
foreach(name IN LISTS names)
  string(STRIP "${name}" name)
  help_of(command_help ${name})
  roff_block(body "${command_help}")
  string(APPEND page ".SS ${name}\n${body}")
endforeach()

file(WRITE "${OUT}" "${page}")

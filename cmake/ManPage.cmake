# Writes the manual page of zbk from the program's own help texts, so that the page says
# what the program says: the overview, then each command's usage as `zbk COMMAND --help`
# gives it. Run as: cmake -DZBK=program -DVERSION=x.y -DOUTPUT=zbk.1 -P ManPage.cmake
function(run_help out)
  execute_process(COMMAND ${ZBK} ${ARGN} --help OUTPUT_VARIABLE text RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${ZBK} ${ARGN} --help failed: ${status}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Text shown as it is: backslashes escaped, and no line taken for a request.
function(verbatim out text)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${out} ".nf\n${text}.fi\n" PARENT_SCOPE)
endfunction()

run_help(overview)
# The overview's third line says in one sentence what the tool does.
string(REGEX MATCH "\n\n([^\n]+)\n" summary "${overview}")
string(REGEX REPLACE "^\n\n([^\n]+)\\.\n$" "\\1" summary "${summary}")
string(SUBSTRING "${summary}" 0 1 first)
string(SUBSTRING "${summary}" 1 -1 rest)
string(TOLOWER "${first}" first)
set(summary "${first}${rest}")
string(REGEX MATCHALL "\n  [a-z0-9-]+" commands "${overview}")

verbatim(page_overview "${overview}")
string(CONCAT page ".TH ZBK 1 \"\" \"zbk ${VERSION}\" \"User Commands\"\n"
         ".SH NAME\nzbk \\- ${summary}\n"
         ".SH SYNOPSIS\n.B zbk\n.I COMMAND\n[\\fIARGUMENTS\\fR]\n.br\n.B zbk --version\n"
         ".SH DESCRIPTION\n${page_overview}"
         ".SH COMMANDS\n")
foreach(command ${commands})
  string(STRIP "${command}" command)
  run_help(usage ${command})
  verbatim(usage "${usage}")
  string(APPEND page ".SS ${command}\n${usage}")
endforeach()
string(APPEND page ".SH EXIT STATUS\n0 on success, 1 on an error (reported on standard error as \\fBzbk: ...\\fR);\n"
                   "\\fBzbk check\\fR exits with 2 when the bank has inconsistencies.\n")
file(WRITE ${OUTPUT} "${page}")

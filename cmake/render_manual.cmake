# Renders one manual page as a standalone HTML page with mandoc.
#   cmake -DMANDOC=mandoc -DPAGE=man/kaland.1 -DHTML=kaland.html -P render_manual.cmake
execute_process(
  COMMAND ${MANDOC} -man -Thtml -Wwarning,stop ${PAGE}
  OUTPUT_VARIABLE html
  ERROR_VARIABLE messages
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "mandoc could not render ${PAGE}:\n${messages}")
endif()
# The pages are in English: a screen reader reads them with that voice.
string(REPLACE "<html>" "<html lang=\"en\">" html "${html}")
file(WRITE ${HTML} "${html}")

# Renders manual pages into one plain text file for Windows: the pages'
# Windows variants (-rWindows=1: examples for cmd.exe), no bold or
# underline by overstriking, no escape sequences, UTF-8 with a byte-order
# mark (Notepad then reads it as UTF-8 on a Japanese system too) and CR LF
# line ends.
# usage: cmake -DGROFF=groff -DPAGES=a.1;b.1 -DOUTPUT=reference.txt -P RenderReference.cmake
string(ASCII 239 187 191 text)
foreach(page IN LISTS PAGES)
  execute_process(COMMAND ${GROFF} -k -t -man -rWindows=1 -Tutf8 -P-c -P-b -P-u ${page}
                  OUTPUT_VARIABLE rendered ERROR_VARIABLE errors RESULT_VARIABLE status)
  if(NOT status EQUAL 0 OR NOT errors STREQUAL "")
    message(FATAL_ERROR "groff could not render ${page}: ${errors}")
  endif()
  string(REGEX REPLACE "\n+$" "\n" rendered "${rendered}")
  string(APPEND text "${rendered}\n\n")
endforeach()
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${OUTPUT} "${text}")

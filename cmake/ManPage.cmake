# Writes a gzipped man page from a program's --help and --version.
# cmake -DHELP2MAN=... -DPROGRAM=... -DNAME=... -DWHATIS=... -DOUTPUT=x.1.gz -P ManPage.cmake
get_filename_component(out_dir ${OUTPUT} DIRECTORY)
get_filename_component(program_name ${PROGRAM} NAME)
set(page ${out_dir}/${program_name}.1)
# Man pages under /usr/share/man/man1 are English; the programs' texts follow
# TOLVANE_LANG.
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env TOLVANE_LANG=en
          ${HELP2MAN} --no-info --section=1 --name=${WHATIS} --output=${page} ${PROGRAM}
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "help2man ${PROGRAM} failed: ${failed}")
endif()
# The data folder in use is the builder's, not the reader's.
file(READ ${page} text)
string(REGEX REPLACE "\n[^\n]*Data folder in use:[^\n]*" "" text "${text}")
file(WRITE ${page} "${text}")
execute_process(COMMAND gzip -9nf ${page} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "gzip ${page} failed")
endif()

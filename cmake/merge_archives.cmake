# Runs the archiver on an MRI script, which it reads from standard input:
#   cmake -DAR=<archiver> -DSCRIPT=<script> -P merge_archives.cmake
execute_process(COMMAND ${AR} -M INPUT_FILE ${SCRIPT} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${AR} -M failed on ${SCRIPT}")
endif()

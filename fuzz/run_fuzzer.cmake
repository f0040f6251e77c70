# cmake -DFUZZER=<program> -DSEEDS=<seed dir> -DWORK=<scratch dir> -DSECONDS=<n> -P run_fuzzer.cmake
# Fuzzes for SECONDS on a fresh copy of the seeds, so that the committed corpus never changes.
# Any crash, sanitizer report or leak makes the fuzzer exit non-zero and this script fail;
# the reproducer is left in WORK.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus)
file(GLOB seeds ${SEEDS}/*)
file(COPY ${seeds} DESTINATION ${WORK}/corpus)
execute_process(COMMAND ${FUZZER} -max_total_time=${SECONDS} -artifact_prefix=${WORK}/ ${WORK}/corpus
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${FUZZER} failed (${result}); reproducer in ${WORK}")
endif()

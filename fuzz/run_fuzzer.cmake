# cmake -DFUZZER=<program> -DSEEDS=<seed dir> -DWORK=<scratch dir> -DSECONDS=<n> -P run_fuzzer.cmake
# Fuzzes for SECONDS on a fresh copy of the seeds, so that the committed corpus never changes, and
# prints one line: the executions, their rate and the inputs added to the scratch corpus.
# Any crash, sanitizer report or leak makes the fuzzer exit non-zero and this script fail with
# the fuzzer's whole output; the reproducer is left in WORK.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus)
file(GLOB seeds ${SEEDS}/*)
file(COPY ${seeds} DESTINATION ${WORK}/corpus)
execute_process(COMMAND ${FUZZER} -max_total_time=${SECONDS} -print_final_stats=1 -artifact_prefix=${WORK}/
                        ${WORK}/corpus
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
file(WRITE ${WORK}/output.txt "${output}")
if(NOT result EQUAL 0)
  message("${output}")
  message(FATAL_ERROR "${FUZZER} failed (${result}); reproducer in ${WORK}")
endif()
string(REGEX MATCH "number_of_executed_units: ([0-9]+)" executed "${output}")
set(executed ${CMAKE_MATCH_1})
string(REGEX MATCH "average_exec_per_sec: +([0-9]+)" rate "${output}")
set(rate ${CMAKE_MATCH_1})
string(REGEX MATCH "new_units_added: +([0-9]+)" added "${output}")
set(added ${CMAKE_MATCH_1})
get_filename_component(name ${FUZZER} NAME)
message("${name}: ${executed} executions in ${SECONDS} s (${rate}/s), ${added} inputs added to the corpus")

# One bounded fuzz run on a fresh copy of the seeds; any finding fails the test.
# -D: FUZZER, SEEDS, WORK, SECONDS, MAX_LEN.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus ${WORK}/artifacts)
file(COPY ${SEEDS}/ DESTINATION ${WORK}/corpus)
execute_process(
  COMMAND ${FUZZER} ${WORK}/corpus
    -max_total_time=${SECONDS} -timeout=10 -rss_limit_mb=2048 -max_len=${MAX_LEN}
    -artifact_prefix=${WORK}/artifacts/ -print_final_stats=1
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${FUZZER} found a fault (exit ${result}); the input is in ${WORK}/artifacts")
endif()

# One short, repeatable run of a fuzz target over its corpus, as a test:
#   cmake -DPROGRAM=... -DCORPUS=... -DWORK=... -DRUNS=... -DMAX_LEN=... -P RunBounded.cmake
# New inputs go to WORK/new (thrown away with the next run), crash inputs to WORK/.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/new)
execute_process(
    COMMAND ${PROGRAM} -runs=${RUNS} -seed=1 -max_len=${MAX_LEN} -timeout=20
            -artifact_prefix=${WORK}/ -print_final_stats=1 ${WORK}/new ${CORPUS}
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} failed (${result}); the input is kept in ${WORK}/")
endif()

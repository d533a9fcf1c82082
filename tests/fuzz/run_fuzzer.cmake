# Runs the fuzzer for SECONDS on a copy of the seed corpus; fails when it finds anything.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK} ${ARTIFACTS})
file(GLOB seeds ${SEEDS}/*)
file(COPY ${seeds} DESTINATION ${WORK})
execute_process(
    COMMAND ${FUZZER} -max_total_time=${SECONDS} -artifact_prefix=${ARTIFACTS} -print_final_stats=1
            ${WORK}
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    get_filename_component(name ${FUZZER} NAME)
    message(FATAL_ERROR "${name} stopped with ${result}; inputs are in ${ARTIFACTS}")
endif()

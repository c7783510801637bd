# A bounded fuzzing run from the checked-in seeds. New inputs go to a fresh
# scratch folder each time, so the seeds stay as they are and runs stay short.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus)
execute_process(
  COMMAND ${FUZZER} -runs=20000 -seed=1 -max_len=2048 -artifact_prefix=${WORK}/
          ${WORK}/corpus ${SEEDS}
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the fuzzer found a fault (exit ${rc}); the input is in ${WORK}")
endif()

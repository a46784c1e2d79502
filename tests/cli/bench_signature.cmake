# Runs `quadrivane-cli bench` and compares its total of positions evaluated
# with the signature recorded in the repository. A change of the search's
# moves, ordering or pruning changes the total; record the new one in
# bench/signature.txt and name it in the commit message ("Bench: N").
# THREADS, when given, runs the bench on that many threads: the total is the
# same for any number. STRONG runs the strong player's bench on its node
# budgets instead, recorded in bench/strong_signature.txt ("Strong bench: N").
set(args bench)
set(name "Bench")
if(THREADS)
  list(APPEND args --threads ${THREADS})
endif()
if(STRONG)
  list(APPEND args --strong)
  set(name "Strong bench")
endif()
execute_process(COMMAND ${CLI} ${args}
                OUTPUT_VARIABLE output
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "quadrivane-cli bench failed (${result}):\n${output}")
endif()
string(REGEX MATCH "Positions evaluated : ([0-9]+)" line "${output}")
if(NOT line)
  message(FATAL_ERROR "no 'Positions evaluated' line in:\n${output}")
endif()
set(total ${CMAKE_MATCH_1})
file(STRINGS ${SIGNATURE} recorded LIMIT_COUNT 1)
string(STRIP "${recorded}" recorded)
if(NOT total STREQUAL recorded)
  message(FATAL_ERROR "${name} signature ${total} differs from the recorded ${recorded}:\n${output}")
endif()
message(STATUS "${name}: ${total}")

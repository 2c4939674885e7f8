# Fails when the stripped program is not below its size budget:
#   cmake -DPROGRAM=<exe> -DSTRIP=<strip> -DBUDGET_KB=<n> -P size_budget.cmake
execute_process(COMMAND ${STRIP} -o ${PROGRAM}.stripped ${PROGRAM} COMMAND_ERROR_IS_FATAL ANY)
file(SIZE ${PROGRAM}.stripped size)
file(REMOVE ${PROGRAM}.stripped)
math(EXPR budget "${BUDGET_KB} * 1024")
if(NOT size LESS budget)
    message(FATAL_ERROR "the stripped ${PROGRAM} has ${size} bytes, not below the budget of ${budget}")
endif()
message(STATUS "the stripped program has ${size} bytes, below the budget of ${budget}")

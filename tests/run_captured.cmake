# Runs PROGRAM (under EMULATOR when set) with standard input from an empty
# file and its output going to a file, then shows that output and fails when
# the program did. Under Wine the output must not be ctest's own pipe: Wine's
# background processes inherit it and would keep it open for ever.
file(MAKE_DIRECTORY ${WORK})
file(WRITE ${WORK}/empty "")
set(command ${PROGRAM})
if(EMULATOR)
  set(command ${EMULATOR} ${command})
endif()
execute_process(COMMAND ${command}
  INPUT_FILE ${WORK}/empty
  OUTPUT_FILE ${WORK}/output
  ERROR_FILE ${WORK}/output
  RESULT_VARIABLE status)
file(READ ${WORK}/output output)
message("${output}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "exit status ${status}")
endif()

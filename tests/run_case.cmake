# Runs one whole-program case in a copy of the case's input files and
# folders: vellum with the arguments listed one per line in `args` (file1
# and file2 when there is none), standard input from an empty file; then
# compares standard output, standard error and the exit status with the
# case's expectations, byte for byte.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(GLOB inputs LIST_DIRECTORIES true ${CASE}/*)
foreach(input ${inputs})
  get_filename_component(name ${input} NAME)
  if(NOT name MATCHES "^(args|stdout|stderr|status)$")
    file(COPY ${input} DESTINATION ${WORK})
  endif()
endforeach()
file(WRITE ${WORK}/empty "")
set(args file1 file2)
if(EXISTS ${CASE}/args)
  file(STRINGS ${CASE}/args args ENCODING UTF-8)
endif()
set(command ${PROGRAM} ${args})
if(EMULATOR)
  set(command ${EMULATOR} ${command})
endif()
execute_process(COMMAND ${command}
  WORKING_DIRECTORY ${WORK}
  INPUT_FILE ${WORK}/empty
  OUTPUT_FILE ${WORK}/stdout
  ERROR_FILE ${WORK}/stderr
  RESULT_VARIABLE status)
file(READ ${CASE}/status expected_status)
string(STRIP "${expected_status}" expected_status)
if(NOT status STREQUAL expected_status)
  message(FATAL_ERROR "exit status ${status}, expected ${expected_status}")
endif()
foreach(stream stdout stderr)
  file(READ ${WORK}/${stream} actual HEX)
  set(expected "")
  if(EXISTS ${CASE}/${stream})
    file(READ ${CASE}/${stream} expected HEX)
  endif()
  if(NOT actual STREQUAL expected)
    message(FATAL_ERROR "${stream} differs:\n got      ${actual}\n expected ${expected}")
  endif()
endforeach()

# Checks that a built Windows DLL holds no AVX or AVX-512 code: hosts load it on any
# processor with SSE2. Run with -DLIBRARY=... -DTOOL=objdump.
execute_process(COMMAND ${TOOL} -d --no-show-raw-insn ${LIBRARY} OUTPUT_VARIABLE code RESULT_VARIABLE failed)
if(failed OR code STREQUAL "")
  message(FATAL_ERROR "${TOOL} could not disassemble ${LIBRARY}")
endif()
string(REGEX MATCHALL "[^\n]*%[yz]mm[0-9][^\n]*" wide "${code}")
list(LENGTH wide count)
if(count GREATER 0)
  list(SUBLIST wide 0 5 first)
  string(REPLACE ";" "\n" first "${first}")
  message(FATAL_ERROR "${LIBRARY} holds ${count} instructions on AVX registers, such as:\n${first}")
endif()
message(STATUS "no AVX code in ${LIBRARY}")

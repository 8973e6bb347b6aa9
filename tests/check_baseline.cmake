# Checks that a built Windows DLL runs on any SSE2 processor and carries the AVX path:
# AVX instructions stand only in the AVX kernels (functions named ...Avx...,
# called once the processor and the system offer AVX), and they are there.
# Run with -DLIBRARY=... -DTOOL=objdump.
execute_process(COMMAND ${TOOL} -d --no-show-raw-insn ${LIBRARY} OUTPUT_VARIABLE code RESULT_VARIABLE failed)
if(failed OR code STREQUAL "")
  message(FATAL_ERROR "${TOOL} could not disassemble ${LIBRARY}")
endif()
# Each function's label, and each instruction on a ymm or zmm register or VEX-encoded
# (v...: an AVX form even on xmm registers), in order.
string(REGEX MATCHALL "<[^>\n]+>:\n|[^\n]*%[yz]mm[0-9][^\n]*|[^\n]*\tv[a-z0-9]+ +[^\n]*%xmm[^\n]*" found "${code}")
set(function "")
set(outside "")
set(inside 0)
foreach(line IN LISTS found)
  if(line MATCHES "^<(.+)>:")
    set(function "${CMAKE_MATCH_1}")
  elseif(function MATCHES "Avx")
    math(EXPR inside "${inside} + 1")
  else()
    list(APPEND outside "${function}: ${line}")
  endif()
endforeach()
list(LENGTH outside count)
if(count GREATER 0)
  list(SUBLIST outside 0 5 first)
  string(REPLACE ";" "\n" first "${first}")
  message(FATAL_ERROR "${LIBRARY} holds ${count} instructions on AVX registers outside the AVX kernels, such as:\n${first}")
endif()
if(inside EQUAL 0)
  message(FATAL_ERROR "${LIBRARY} holds no AVX kernel: its fastest path is missing")
endif()
message(STATUS "${inside} AVX instructions in ${LIBRARY}, all in the AVX kernels")

# The sample robot as the Quake remasters' bases, as make_quake_sample writes them, read
# back by md5tool: both models listed with the clips their frame names give, and each
# held to its engine's limits.
file(REMOVE_RECURSE ${OUTPUT})
execute_process(COMMAND ${GENERATOR} ${SOURCE}/samples/robot ${OUTPUT} RESULT_VARIABLE failed OUTPUT_QUIET)
if(failed)
  message(FATAL_ERROR "make_quake_sample failed")
endif()
execute_process(COMMAND ${MD5TOOL} list --base ${OUTPUT}/id1 --base ${OUTPUT}/baseq2 OUTPUT_VARIABLE listed RESULT_VARIABLE failed)
set(expected "progs/robot.mdl: progs/robot.md5mesh; clips idle, walk, wave; skins 2 of 2
models/robot/tris.md2: models/robot/md5/tris.md5mesh; clips idle, walk, wave; skins 1 of 1
")
if(failed OR NOT listed STREQUAL expected)
  message(FATAL_ERROR "md5tool list of the Quake sample said:\n${listed}")
endif()
foreach(pair "progs/robot.mdl;id1;quake" "models/robot/tris.md2;baseq2;quake2")
  list(GET pair 0 model)
  list(GET pair 1 base)
  list(GET pair 2 target)
  execute_process(COMMAND ${MD5TOOL} check ${model} --base ${OUTPUT}/${base} --target ${target} --strict
                  OUTPUT_VARIABLE said RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "md5tool check ${model} --target ${target} said:\n${said}")
  endif()
endforeach()

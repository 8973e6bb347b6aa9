# Regenerates the sample with its generator and compares every file with the committed one.
file(REMOVE_RECURSE ${OUTPUT})
file(MAKE_DIRECTORY ${OUTPUT})
execute_process(COMMAND ${GENERATOR} ${OUTPUT} RESULT_VARIABLE failed OUTPUT_QUIET)
if(failed)
  message(FATAL_ERROR "the generator failed")
endif()
foreach(name robot.md5mesh idle.md5anim walk.md5anim wave.md5anim)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT}/${name} ${SAMPLE}/${name} RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "samples/robot/${name} is not what the generator writes")
  endif()
endforeach()

# And the game base made of it.
if(GAME_GENERATOR)
  execute_process(COMMAND ${GAME_GENERATOR} ${SAMPLE} ${OUTPUT}/pak000.pk4 RESULT_VARIABLE failed OUTPUT_QUIET)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT}/pak000.pk4 ${SAMPLE}/../game/pak000.pk4
                  RESULT_VARIABLE differs)
  if(failed OR differs)
    message(FATAL_ERROR "samples/game/pak000.pk4 is not what make_game_sample writes")
  endif()
endif()

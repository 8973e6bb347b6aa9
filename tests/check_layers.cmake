# The folders of src/ depend one way. Each has a layer; a file may include headers of
# its own folder and of folders in lower layers only, never of its own layer or above,
# so no two folders can include each other, even through others:
#   0 base      allocation
#   1 math      Vector2, Vector3, Matrix4, Quaternion
#   1 platform  file reading, folder listing, device calls
#   2 model     the model records
#   3 md5       text scanning and the two readers
#   3 anim      posing: the skeleton at a frame, the mesh job and its passes
#   3 render    drawing meshes through the device
#   4 actor     the actor, the slot table and the seven exports
# Run with -DSOURCE_DIR=.../src; prints each folder's includes.
cmake_minimum_required(VERSION 3.25)
set(layers base 0 math 1 platform 1 model 2 md5 3 anim 3 render 3 actor 4)
set(folders "")
while(layers)
  list(POP_FRONT layers folder layer)
  set(layer_${folder} ${layer})
  list(APPEND folders ${folder})
endwhile()

file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp)
set(faults 0)
foreach(source IN LISTS sources)
  string(REGEX MATCH "^[^/]+" folder "${source}")
  if(NOT DEFINED layer_${folder})
    message(SEND_ERROR "${source}: the folder ${folder} has no layer")
    math(EXPR faults "${faults} + 1")
    continue()
  endif()
  file(STRINGS ${SOURCE_DIR}/${source} lines REGEX "^#include \"[^/\"]+/")
  foreach(line IN LISTS lines)
    string(REGEX MATCH "\"([^/\"]+)/" _ "${line}")
    set(target ${CMAKE_MATCH_1})
    if(target STREQUAL folder OR NOT DEFINED layer_${target})
      continue()  # its own folder, or a public header of include/
    endif()
    list(APPEND edges_${folder} ${target})
    if(NOT layer_${target} LESS layer_${folder})
      message(SEND_ERROR "${source} (layer ${layer_${folder}}) includes ${target}/ (layer ${layer_${target}})")
      math(EXPR faults "${faults} + 1")
    endif()
  endforeach()
endforeach()
foreach(folder IN LISTS folders)
  if(edges_${folder})
    list(REMOVE_DUPLICATES edges_${folder})
    list(JOIN edges_${folder} ", " joined)
    message(STATUS "${folder} includes ${joined}")
  endif()
endforeach()
if(faults GREATER 0)
  message(FATAL_ERROR "${faults} includes go against the layers")
endif()
message(STATUS "no folder of src/ includes a folder of its own layer or above")

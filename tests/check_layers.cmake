# Every folder of code depends one way, with nothing pointing back up and no circles.
#
# The library, src/: each folder has a layer; a file may include headers of its own
# folder and of folders in lower layers only, never of its own layer or above, so no two
# folders can include each other, even through others:
#   0 base      allocation
#   1 math      Vector2, Vector3, Matrix4, Quaternion
#   1 platform  file reading and sources, folder listing, device calls
#   2 model     the model records
#   3 md5       text scanning and the two readers
#   3 anim      posing: the skeleton at a frame, the mesh job and its passes
#   3 render    drawing meshes through the device
#   4 actor     the actor, the slot table and the seven exports
#
# The tools stand on the library (any of its headers, and the public ones of include/):
#   5 tools/convert  the conversion core
#   6 tools/md5tool  md5tool, a front end
#   6 web/module     the web module, a front end
# A tool's header is included by its bare name; it is found in the folder that holds it.
# Run with -DPROJECT_DIR=...; prints what each folder includes.
cmake_minimum_required(VERSION 3.25)
set(layers base 0 math 1 platform 1 model 2 md5 3 anim 3 render 3 actor 4)
set(tool_layers tools/convert 5 tools/md5tool 6 web/module 6)
set(folders "")
while(layers)
  list(POP_FRONT layers folder layer)
  set(layer_${folder} ${layer})
  list(APPEND folders ${folder})
endwhile()
set(tool_folders "")
while(tool_layers)
  list(POP_FRONT tool_layers folder layer)
  string(MAKE_C_IDENTIFIER ${folder} id)
  set(layer_${id} ${layer})
  list(APPEND tool_folders ${folder})
  # Which tool folder holds each header, by its bare name.
  file(GLOB headers RELATIVE ${PROJECT_DIR}/${folder} ${PROJECT_DIR}/${folder}/*.h)
  foreach(header IN LISTS headers)
    string(MAKE_C_IDENTIFIER ${header} hid)
    set(home_${hid} ${folder})
  endforeach()
endwhile()
set(faults 0)

macro(fault text)
  message(SEND_ERROR "${text}")
  math(EXPR faults "${faults} + 1")
endmacro()

# The library's folders.
set(src ${PROJECT_DIR}/src)
file(GLOB_RECURSE sources RELATIVE ${src} ${src}/*.h ${src}/*.cpp)
foreach(source IN LISTS sources)
  string(REGEX MATCH "^[^/]+" folder "${source}")
  if(NOT DEFINED layer_${folder})
    fault("src/${source}: the folder ${folder} has no layer")
    continue()
  endif()
  file(STRINGS ${src}/${source} lines REGEX "^#include \"")
  foreach(line IN LISTS lines)
    string(REGEX MATCH "\"([^\"]+)\"" _ "${line}")
    set(included ${CMAKE_MATCH_1})
    string(MAKE_C_IDENTIFIER ${included} hid)
    if(NOT included MATCHES "/" AND DEFINED home_${hid})
      fault("src/${source} includes ${included}, a header of ${home_${hid}}")
      continue()
    endif()
    string(REGEX MATCH "^[^/]+" target "${included}")
    if(target STREQUAL folder OR NOT DEFINED layer_${target})
      continue()  # its own folder, or a public header of include/
    endif()
    list(APPEND edges_${folder} ${target})
    if(NOT layer_${target} LESS layer_${folder})
      fault("src/${source} (layer ${layer_${folder}}) includes ${target}/ (layer ${layer_${target}})")
    endif()
  endforeach()
endforeach()

# The tools' folders.
foreach(folder IN LISTS tool_folders)
  string(MAKE_C_IDENTIFIER ${folder} id)
  file(GLOB sources RELATIVE ${PROJECT_DIR}/${folder} ${PROJECT_DIR}/${folder}/*.h ${PROJECT_DIR}/${folder}/*.cpp)
  foreach(source IN LISTS sources)
    file(STRINGS ${PROJECT_DIR}/${folder}/${source} lines REGEX "^#include \"")
    foreach(line IN LISTS lines)
      string(REGEX MATCH "\"([^\"]+)\"" _ "${line}")
      set(included ${CMAKE_MATCH_1})
      string(MAKE_C_IDENTIFIER ${included} hid)
      string(REGEX MATCH "^[^/]+" target "${included}")
      if(included MATCHES "/" AND (DEFINED layer_${target} OR target STREQUAL "brmath"))
        list(APPEND edges_${id} library)  # the library, below every tool
      elseif(included MATCHES "/" OR NOT DEFINED home_${hid})
        fault("${folder}/${source} includes ${included}, which no folder of code holds")
      elseif(NOT home_${hid} STREQUAL folder)
        set(home ${home_${hid}})
        string(MAKE_C_IDENTIFIER ${home} home_id)
        list(APPEND edges_${id} ${home})
        if(NOT layer_${home_id} LESS layer_${id})
          fault("${folder}/${source} (layer ${layer_${id}}) includes ${included} of ${home} (layer ${layer_${home_id}})")
        endif()
      endif()
    endforeach()
  endforeach()
endforeach()

foreach(folder IN LISTS folders tool_folders)
  string(MAKE_C_IDENTIFIER ${folder} id)
  if(edges_${id})
    list(REMOVE_DUPLICATES edges_${id})
    list(JOIN edges_${id} ", " joined)
    message(STATUS "${folder} includes ${joined}")
  endif()
endforeach()
if(faults GREATER 0)
  message(FATAL_ERROR "${faults} includes go against the layers")
endif()
message(STATUS "no folder includes a folder of its own layer or above")

# Import libraries for BRMath.dll that programs compiled with the header link against.
# Their calls name the stdcall symbols (_V2_Add@12 on 32-bit x86); the import
# libraries map each to the DLL's undecorated export at its ordinal. libBRMath.dll.a
# (GNU linkers) replaces the one the linker wrote; BRMath.lib is the COFF form for
# Microsoft-style linkers. BRMath.def describes the same mapping for other tools.
set(brmath_export_arguments
    V2_Add 12 MD5_AddActor 0 MD5_LoadActor 8 MD5_RenderActor 8 MD5_SetAnimation 8 MD5_ProceedAnimation 8
    MD5_GetFrameCount 4)
set(def_text "LIBRARY BRMath.dll\nEXPORTS\n")
set(ordinal 1)
while(brmath_export_arguments)
  list(POP_FRONT brmath_export_arguments name bytes)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    string(APPEND def_text "  ${name}@${bytes} @${ordinal}\n")
  else()
    string(APPEND def_text "  ${name} @${ordinal}\n")
  endif()
  math(EXPR ordinal "${ordinal} + 1")
endwhile()
set(BRMATH_IMPORT_DEF ${CMAKE_CURRENT_BINARY_DIR}/BRMath.def)
file(WRITE ${BRMATH_IMPORT_DEF} "${def_text}")

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(llvm_machine i386)
else()
  set(llvm_machine i386:x86-64)
endif()
string(REGEX REPLACE "-gcc(-posix)?$" "" mingw_prefix "${CMAKE_C_COMPILER}")
find_program(BRMATH_DLLTOOL NAMES ${mingw_prefix}-dlltool REQUIRED)
find_program(BRMATH_LLVM_DLLTOOL NAMES llvm-dlltool llvm-dlltool-14 REQUIRED)
add_custom_command(TARGET brmath POST_BUILD
  COMMAND ${BRMATH_DLLTOOL} --kill-at -d ${BRMATH_IMPORT_DEF} -D BRMath.dll -l $<TARGET_LINKER_FILE:brmath>
  COMMAND ${BRMATH_LLVM_DLLTOOL} -m ${llvm_machine} -k -d ${BRMATH_IMPORT_DEF} -D BRMath.dll
          -l $<TARGET_FILE_DIR:brmath>/BRMath.lib
  VERBATIM)

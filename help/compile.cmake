# Compiles the help: cmake -DSOURCE=... -DSTAGE=... -DOUTPUT=... -DCHMCMD=...
# -P compile.cmake
#
# The pages are kept in UTF-8. The help viewer shows the contents, the index
# and the window title in the ANSI code page of the help's language, so
# every file goes into the help in Windows-1251, its pages saying so; a
# character that Windows-1251 lacks stops the build.
file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE})
file(GLOB sources ${SOURCE}/*.html ${SOURCE}/*.css ${SOURCE}/*.hhc ${SOURCE}/*.hhk
     ${SOURCE}/*.hhp)
foreach(source ${sources})
  get_filename_component(name ${source} NAME)
  file(READ ${source} content)
  string(REPLACE "charset=utf-8" "charset=windows-1251" content "${content}")
  file(WRITE ${STAGE}/${name}.utf8 "${content}")
  execute_process(COMMAND iconv -f UTF-8 -t CP1251 ${STAGE}/${name}.utf8
                  OUTPUT_FILE ${STAGE}/${name} ERROR_VARIABLE error RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "help/${name}: not Windows-1251 text: ${error}")
  endif()
  file(REMOVE ${STAGE}/${name}.utf8)
endforeach()

execute_process(COMMAND ${CHMCMD} --no-html-scan orvanta.hhp WORKING_DIRECTORY ${STAGE}
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT EXISTS ${STAGE}/help.chm)
  message(FATAL_ERROR "chmcmd failed (${rc}):\n${out}${err}")
endif()
file(COPY_FILE ${STAGE}/help.chm ${OUTPUT})

# The compiled help beside orvanta.exe: cmake -DCHM=... -DSOURCE=... -P check.cmake
# An ITSF file (the help viewer's format) holding every page of the sources
# and the contents.
cmake_minimum_required(VERSION 3.20)
get_filename_component(SOURCE ${SOURCE} ABSOLUTE)
if(NOT EXISTS ${CHM})
  message(FATAL_ERROR "${CHM} is missing: the Windows build did not compile the help")
endif()
file(READ ${CHM} signature LIMIT 4 HEX)
if(NOT signature STREQUAL "49545346")  # "ITSF"
  message(FATAL_ERROR "${CHM} is not a compiled help file (starts with bytes ${signature})")
endif()
file(GLOB pages RELATIVE ${SOURCE} ${SOURCE}/*.html)
foreach(entry ${pages} toc.hhc index.hhk)
  file(STRINGS ${CHM} found REGEX "/${entry}" LIMIT_COUNT 1)
  if(NOT found)
    message(FATAL_ERROR "${CHM} lacks ${entry}")
  endif()
endforeach()

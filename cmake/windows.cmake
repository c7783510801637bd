# orvanta.exe and the Windows-side helpers, statically linked: nothing but
# system DLLs is needed beside them.
enable_language(RC)
file(GLOB ORVANTA_WIN32_SOURCES CONFIGURE_DEPENDS platform/win32/*.cpp)
set(ORVANTA_STATIC_FLAGS -static -static-libgcc -static-libstdc++)
set(ORVANTA_WIN32_LIBS comctl32 comdlg32 shell32 ole32 gdi32 user32 advapi32 version)

add_library(orvanta_win32 STATIC ${ORVANTA_WIN32_SOURCES})
target_link_libraries(orvanta_win32 PUBLIC orvanta_logic ${ORVANTA_WIN32_LIBS})
target_compile_definitions(orvanta_win32 PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)

add_executable(orvanta WIN32 platform/win32/main/winmain.cpp res/orvanta.rc)
target_link_libraries(orvanta PRIVATE orvanta_win32)
target_link_options(orvanta PRIVATE ${ORVANTA_STATIC_FLAGS} -municode)

foreach(dir ovstool platform/win32/probe tests/e2e/installers help)
  if(EXISTS ${CMAKE_SOURCE_DIR}/${dir}/CMakeLists.txt)
    add_subdirectory(${dir})
  endif()
endforeach()

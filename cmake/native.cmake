# Native build: the simulated machine, the unit tests, the end-to-end tests
# (which drive the Windows build under Wine) and the benchmarks.
enable_testing()
file(GLOB ORVANTA_SIM_SOURCES CONFIGURE_DEPENDS platform/sim/*.cpp)
add_library(orvanta_sim STATIC ${ORVANTA_SIM_SOURCES})
target_link_libraries(orvanta_sim PUBLIC orvanta_logic)

find_package(GTest REQUIRED)
include(GoogleTest)
file(GLOB ORVANTA_UNIT_TESTS CONFIGURE_DEPENDS tests/unit/*.cpp)
add_executable(unit_tests ${ORVANTA_UNIT_TESTS})
target_link_libraries(unit_tests PRIVATE orvanta_sim GTest::gtest GTest::gtest_main)
gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 60)

foreach(extra ovstool/CMakeLists.txt tests/e2e/CMakeLists.txt tests/fuzz/CMakeLists.txt
        bench/CMakeLists.txt)
  if(EXISTS ${CMAKE_SOURCE_DIR}/${extra})
    get_filename_component(dir ${extra} DIRECTORY)
    add_subdirectory(${dir})
  endif()
endforeach()

# The unit tests once more, built with AddressSanitizer and
# UndefinedBehaviorSanitizer: one CTest test that fails on the first report.
set(ORVANTA_SANITIZE_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer
    -fno-sanitize-recover=all)
add_library(orvanta_sanitized STATIC ${ORVANTA_LOGIC_SOURCES} ${ORVANTA_SIM_SOURCES})
target_include_directories(orvanta_sanitized PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(orvanta_sanitized PUBLIC ${ORVANTA_SANITIZE_FLAGS})
target_link_options(orvanta_sanitized PUBLIC ${ORVANTA_SANITIZE_FLAGS})
add_executable(unit_tests_sanitized ${ORVANTA_UNIT_TESTS})
target_link_libraries(unit_tests_sanitized PRIVATE orvanta_sanitized GTest::gtest GTest::gtest_main)
add_test(NAME unit_tests.sanitized COMMAND unit_tests_sanitized --gtest_brief=1)

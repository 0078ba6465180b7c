# Shared helpers for the subsystem libraries, tests, benchmarks and fuzz targets.

# stravel_library(<name> DIRECTORY <dir> [DEPENDS <targets>...])
# Builds one static library from every .cpp below <dir>. Sources are globbed so that
# adding a file needs no edit here.
function(stravel_library name)
    cmake_parse_arguments(ARG "" "DIRECTORY" "DEPENDS" ${ARGN})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${ARG_DIRECTORY}/*.cpp ${ARG_DIRECTORY}/*.c)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_compile_options(${name} PRIVATE ${STRAVEL_WARNINGS})
    target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
endfunction()

# Tests see an ALSA configuration without sound devices unless they write their own, so that
# nothing they play reaches a real one.
set(STRAVEL_SILENT_ALSA ${CMAKE_BINARY_DIR}/silent-asound.conf)
file(WRITE ${STRAVEL_SILENT_ALSA} "# no sound devices\n")

# stravel_test_suite(<name> DIRECTORY <dir> DEPENDS <targets>...)
# One GoogleTest executable per subsystem, each test registered with CTest.
function(stravel_test_suite name)
    cmake_parse_arguments(ARG "" "DIRECTORY" "DEPENDS" ${ARGN})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${ARG_DIRECTORY}/*.cpp)
    if(NOT sources)
        return()
    endif()
    add_executable(${name} ${sources})
    target_compile_options(${name} PRIVATE ${STRAVEL_WARNINGS})
    target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} stravel_test_support GTest::gtest
                                          GTest::gtest_main)
    add_dependencies(${name} stravel_bundle)
    gtest_discover_tests(${name}
        DISCOVERY_TIMEOUT 120
        PROPERTIES ENVIRONMENT "STRAVEL_BUNDLE=${STRAVEL_BUNDLE_DIR}"
                   ENVIRONMENT_MODIFICATION "ALSA_CONFIG_PATH=set:${STRAVEL_SILENT_ALSA}"
                   TIMEOUT 600)
endfunction()

# stravel_fuzz_target(<name> DEPENDS <targets>...)
# fuzz/<name>.cpp defines LLVMFuzzerTestOneInput. The fuzz build links it with libFuzzer;
# the test build links it with a replay driver and runs fuzz/corpus/<name>/ as a test.
function(stravel_fuzz_target name)
    cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
    set(source ${PROJECT_SOURCE_DIR}/fuzz/${name}.cpp)
    if(NOT EXISTS ${source})
        message(WARNING "fuzz target ${name} has no source yet")
        return()
    endif()
    if(STRAVEL_FUZZ)
        add_executable(fuzz_${name} ${source})
        target_compile_options(fuzz_${name} PRIVATE ${STRAVEL_WARNINGS} -fsanitize=fuzzer)
        target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
        target_link_libraries(fuzz_${name} PRIVATE ${ARG_DEPENDS})
    endif()
    if(STRAVEL_TESTS)
        add_executable(replay_${name} ${source} ${PROJECT_SOURCE_DIR}/fuzz/replay_main.cpp)
        target_compile_options(replay_${name} PRIVATE ${STRAVEL_WARNINGS})
        target_link_libraries(replay_${name} PRIVATE ${ARG_DEPENDS})
        add_test(NAME fuzz_replay.${name}
                 COMMAND replay_${name} ${PROJECT_SOURCE_DIR}/fuzz/corpus/${name})
        set_tests_properties(fuzz_replay.${name} PROPERTIES
            ENVIRONMENT "STRAVEL_BUNDLE=${STRAVEL_BUNDLE_DIR}" TIMEOUT 900)
    endif()
endfunction()

# stravel_benchmark(<name> DEPENDS <targets>...): bench/<name>.cpp with Google Benchmark.
function(stravel_benchmark name)
    cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
    if(NOT EXISTS ${PROJECT_SOURCE_DIR}/bench/${name}.cpp)
        message(WARNING "benchmark ${name} has no source yet")
        return()
    endif()
    add_executable(bench_${name} ${PROJECT_SOURCE_DIR}/bench/${name}.cpp)
    target_compile_options(bench_${name} PRIVATE ${STRAVEL_WARNINGS})
    target_link_libraries(bench_${name} PRIVATE ${ARG_DEPENDS} benchmark::benchmark
                                                benchmark::benchmark_main)
endfunction()

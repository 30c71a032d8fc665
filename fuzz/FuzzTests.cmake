# Short runs of the fuzz targets in the test suite. libFuzzer needs clang, so when clang++ can
# link it the targets are built by clang in a build of their own inside this one (fuzz/, from
# the same sources: core and the targets only), and each runs for a fixed number of inputs.
include(ExternalProject)
include(${CMAKE_CURRENT_LIST_DIR}/targets.cmake)

find_program(TOVAN_CLANGXX NAMES clang++ clang++-14)
if(NOT TOVAN_CLANGXX)
    message(STATUS "Fuzz tests left out: no clang++")
    return()
endif()
set(probe_dir ${CMAKE_BINARY_DIR}/CMakeFiles/fuzz-probe)
file(WRITE ${probe_dir}/probe.cpp
     "#include <cstddef>\n#include <cstdint>\n"
     "extern \"C\" int LLVMFuzzerTestOneInput(const std::uint8_t*, std::size_t) { return 0; }\n")
execute_process(
    COMMAND ${TOVAN_CLANGXX} -fsanitize=fuzzer,address,undefined ${probe_dir}/probe.cpp
            -o ${probe_dir}/probe
    RESULT_VARIABLE probe_result OUTPUT_QUIET ERROR_QUIET)
if(NOT probe_result EQUAL 0)
    message(STATUS "Fuzz tests left out: ${TOVAN_CLANGXX} cannot link libFuzzer "
                   "(Debian: libclang-rt-14-dev)")
    return()
endif()

set(fuzz_build ${CMAKE_BINARY_DIR}/fuzz)
ExternalProject_Add(fuzz_targets
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${fuzz_build}
    CMAKE_ARGS -DCMAKE_CXX_COMPILER=${TOVAN_CLANGXX} -DTOVAN_FUZZ=ON
               -DCMAKE_BUILD_TYPE=RelWithDebInfo
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON)

foreach(name IN LISTS TOVAN_FUZZ_TARGETS)
    add_test(NAME fuzz.${name}
        COMMAND ${CMAKE_COMMAND}
            -DPROGRAM=${fuzz_build}/fuzz/fuzz_${name}
            -DCORPUS=${CMAKE_CURRENT_LIST_DIR}/corpus/${name}
            -DWORK=${CMAKE_BINARY_DIR}/fuzz-runs/${name}
            -DRUNS=${TOVAN_FUZZ_RUNS_${name}}
            -DMAX_LEN=${TOVAN_FUZZ_MAX_LEN_${name}}
            -P ${CMAKE_CURRENT_LIST_DIR}/RunBounded.cmake)
    set_tests_properties(fuzz.${name} PROPERTIES TIMEOUT 300 LABELS fuzz)
endforeach()

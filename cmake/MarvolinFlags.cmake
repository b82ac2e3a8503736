# Compiler settings shared by every target of the project.
#
# The race code computes in double and stores in float at fixed places; fused multiply-add or
# fast-math would change those roundings (and NaN comparisons are relied on), so both stay off.

option(MARVOLIN_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(MARVOLIN_WERROR "Treat compiler warnings as errors" OFF)

add_library(marvolin_flags INTERFACE)
target_compile_features(marvolin_flags INTERFACE cxx_std_20)
target_compile_options(marvolin_flags INTERFACE -Wall -Wextra -Wpedantic -ffp-contract=off
                                                -fno-fast-math)
# GCC 12's vectoriser drops the float rounding between two double expressions when it packs the x
# and y components of a vector together (float(double(a) + b * c) fed into another double
# expression comes out unrounded), which moves results by an ulp against every other compiler.
target_compile_options(marvolin_flags INTERFACE $<$<CXX_COMPILER_ID:GNU>:-fno-tree-vectorize>)
if(MARVOLIN_WERROR)
    target_compile_options(marvolin_flags INTERFACE -Werror)
endif()
if(MARVOLIN_SANITIZE)
    target_compile_options(marvolin_flags INTERFACE -fsanitize=address,undefined
                                                    -fno-sanitize-recover=undefined
                                                    -fno-omit-frame-pointer)
    target_link_options(marvolin_flags INTERFACE -fsanitize=address,undefined)
endif()
# The fuzz build (tests/fuzz, scripts/fuzz.sh): every target gets libFuzzer's coverage and both
# sanitizers, and the fuzz targets link libFuzzer's driver. clang++ only.
option(MARVOLIN_FUZZ "Build the libFuzzer targets (clang++ with its libFuzzer runtime)" OFF)
if(MARVOLIN_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "MARVOLIN_FUZZ needs clang++ and its libFuzzer; this is "
                            "${CMAKE_CXX_COMPILER_ID}: configure with -DCMAKE_CXX_COMPILER=clang++ "
                            "-DCMAKE_C_COMPILER=clang")
    endif()
    include(CheckCXXSourceCompiles)
    unset(MARVOLIN_HAVE_LIBFUZZER CACHE)
    set(CMAKE_REQUIRED_FLAGS -fsanitize=fuzzer)
    set(CMAKE_REQUIRED_LINK_OPTIONS -fsanitize=fuzzer)
    check_cxx_source_compiles("#include <cstddef>\n#include <cstdint>\nextern \"C\" int \
LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }" MARVOLIN_HAVE_LIBFUZZER)
    unset(CMAKE_REQUIRED_FLAGS)
    unset(CMAKE_REQUIRED_LINK_OPTIONS)
    if(NOT MARVOLIN_HAVE_LIBFUZZER)
        message(FATAL_ERROR "MARVOLIN_FUZZ: clang's libFuzzer runtime (libclang_rt.fuzzer-x86_64.a) "
                            "is missing: install the Debian package libclang-rt-14-dev "
                            "(scripts/setup.sh test does)")
    endif()
    target_compile_options(marvolin_flags INTERFACE -fsanitize=fuzzer-no-link,address,undefined
                                                    -fno-sanitize-recover=undefined
                                                    -fno-omit-frame-pointer)
    target_link_options(marvolin_flags INTERFACE -fsanitize=address,undefined)
endif()
# Every module includes its neighbours as "module/File.h" from src/.
target_include_directories(marvolin_flags INTERFACE ${PROJECT_SOURCE_DIR}/src)

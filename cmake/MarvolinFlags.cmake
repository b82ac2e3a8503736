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
# Every module includes its neighbours as "module/File.h" from src/.
target_include_directories(marvolin_flags INTERFACE ${PROJECT_SOURCE_DIR}/src)

# Proves the compiler holds the layers: every file in CASES is compiled as if it were a file of
# one layer (that layer's include root and forced header). A file whose first line is
# "// expect: compiles" must compile, which shows the flags themselves are sound; every other
# must fail, and the compiler's message must name what its first line names ("// expect: TEXT"),
# so a file failing for an unrelated reason does not count.
# Run as: cmake -DCOMPILER=<c++> -DROOT=<layer include root> -DHEADER=<forced header>
#               -DCASES=<folder> -P CheckLayerCompile.cmake
cmake_policy(VERSION 3.25)

file(GLOB _cases ${CASES}/*.cpp)
list(SORT _cases)
if(NOT _cases)
  message(FATAL_ERROR "no cases in ${CASES}")
endif()
set(_bad "")
foreach(f ${_cases})
  get_filename_component(_name ${f} NAME)
  file(STRINGS ${f} _first LIMIT_COUNT 1)
  if(NOT _first MATCHES "^// expect: (.+)$")
    list(APPEND _bad "${_name}: the first line does not say what to expect")
    continue()
  endif()
  set(_expect "${CMAKE_MATCH_1}")
  execute_process(
    COMMAND ${COMPILER} -std=c++20 -fsyntax-only -I${ROOT} -include ${HEADER} ${f}
    RESULT_VARIABLE _rc OUTPUT_VARIABLE _out ERROR_VARIABLE _out)
  if(_expect STREQUAL "compiles")
    if(NOT _rc EQUAL 0)
      list(APPEND _bad "${_name}: should compile but fails:\n${_out}")
    endif()
  elseif(_rc EQUAL 0)
    list(APPEND _bad "${_name}: compiles, but the layer rules should refuse it")
  else()
    string(FIND "${_out}" "${_expect}" _at)
    if(_at LESS 0)
      list(APPEND _bad "${_name}: fails, but not for '${_expect}':\n${_out}")
    endif()
  endif()
endforeach()

if(_bad)
  list(JOIN _bad "\n" _msg)
  message(FATAL_ERROR "layer rules not held:\n${_msg}")
endif()
list(LENGTH _cases _n)
message(STATUS "${_n} cases: upward includes and direct OS calls do not compile")

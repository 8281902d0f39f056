# The rules the compiler cannot see, checked over src/ and tools/:
#  - layers: a file in src/<layer> includes headers only from its own layer and the layers
#    below it (LAYERS, lowest first); tools/ sits beside the top layer and may include every
#    layer but it. The compiler holds this too (cmake/Layers.cmake), but a relative include
#    ("../shell/x.h") finds its file beside the includer, so those are refused here;
#  - platform headers (SDL, SDL_mixer, FreeType, fontconfig, libjpeg, FFmpeg) only in src/media;
#  - the OS's files, clock, chance and environment (fopen, chdir, getcwd, time, rand, getenv)
#    only in src/foundation, src/media and src/shell/main.cpp, which provide the seams.
# Run as: cmake -DROOT=<source dir> "-DLAYERS=foundation;media;..." [-DGRAPH=ON]
#         -P CheckSourceRules.cmake
# With GRAPH=ON it also prints the include graph between folders, one "from -> to (count)" line
# per edge, so the layering can be read at a glance.
cmake_policy(VERSION 3.25)
list(LENGTH LAYERS _top)
math(EXPR _top "${_top} - 1")

function(layer_index name out)
  list(FIND LAYERS ${name} _i)
  set(${out} ${_i} PARENT_SCOPE)
endfunction()

set(_callPattern "(^|[^A-Za-z0-9_.>:]|std::|[^A-Za-z0-9_]::)(fopen|chdir|getcwd|time|rand|srand|getenv)[ \t]*\\(")

file(GLOB_RECURSE _files ${ROOT}/src/*.h ${ROOT}/src/*.cpp ${ROOT}/tools/*.h ${ROOT}/tools/*.cpp)
list(SORT _files)
set(_bad "")
set(_edges "")
foreach(f ${_files})
  file(RELATIVE_PATH rel ${ROOT} ${f})
  if(rel MATCHES "^src/([a-z_]+)/")
    set(_from ${CMAKE_MATCH_1})
    layer_index(${_from} _fromIndex)
    if(_fromIndex LESS 0)
      list(APPEND _bad "${rel}: folder '${_from}' is not a layer")
      continue()
    endif()
  else()
    set(_from tools)
    set(_fromIndex ${_top})  # beside the top layer, never including it
  endif()

  file(STRINGS ${f} _lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  foreach(l ${_lines})
    if(NOT _from STREQUAL "media" AND
       l MATCHES "[<\"/](SDL2?/|SDL[_.a-zA-Z0-9]*\\.h|ft2build\\.h|freetype/|FT_|fontconfig/|jpeglib\\.h|jerror\\.h|jconfig\\.h|turbojpeg\\.h|libav[a-z]*/|libsw[a-z]*/)")
      list(APPEND _bad "${rel}: platform header outside src/media: ${l}")
    endif()
    if(l MATCHES "[<\"][^>\"]*\\.\\./")
      list(APPEND _bad "${rel}: relative include (name the layer instead): ${l}")
    endif()
    if(l MATCHES "[<\"]([a-z_]+)/[^>\"]+[>\"]")
      set(_to ${CMAKE_MATCH_1})
      layer_index(${_to} _toIndex)
      if(_toIndex GREATER_EQUAL 0 AND NOT _to STREQUAL _from)
        list(APPEND _edges "${_from} -> ${_to}")
        if(_toIndex GREATER _fromIndex OR (_from STREQUAL "tools" AND _toIndex EQUAL _top))
          list(APPEND _bad "${rel}: '${_from}' includes the higher layer '${_to}': ${l}")
        endif()
      endif()
    endif()
  endforeach()

  if(NOT rel MATCHES "^src/(foundation|media)/" AND NOT rel STREQUAL "src/shell/main.cpp")
    file(STRINGS ${f} _calls REGEX "${_callPattern}")
    foreach(c ${_calls})
      # Text in strings and comments only looks like a call.
      string(REGEX REPLACE "\"([^\"\\\\]|\\\\.)*\"" "\"\"" _code "${c}")
      string(REGEX REPLACE "//.*$" "" _code "${_code}")
      string(STRIP "${_code}" _code)
      if(_code MATCHES "^\\*" OR _code MATCHES "^/\\*")
        continue()
      endif()
      if(_code MATCHES "${_callPattern}")
        string(STRIP "${c}" c)
        list(APPEND _bad "${rel}: OS call outside its seam (use the file, clock or random helpers of foundation): ${c}")
      endif()
    endforeach()
  endif()
endforeach()

if(GRAPH)
  list(SORT _edges)
  set(_seen "")
  foreach(e ${_edges})
    if(NOT e IN_LIST _seen)
      list(APPEND _seen "${e}")
      set(_n 0)
      foreach(x ${_edges})
        if(x STREQUAL e)
          math(EXPR _n "${_n} + 1")
        endif()
      endforeach()
      message(STATUS "${e} (${_n})")
    endif()
  endforeach()
endif()

if(_bad)
  list(JOIN _bad "\n" _msg)
  message(FATAL_ERROR "source rules broken:\n${_msg}")
endif()
message(STATUS "layers hold, platform headers stay in src/media, OS calls stay behind their seams")

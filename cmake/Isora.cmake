# Shared build helpers.

find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)

# Sanitizer flags for the asan and fuzz presets.
if(ISORA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(ISORA_FUZZ)
  # Any sanitizer report ends the run, so a finding can never print and pass.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

# Every library of the engine, in layer order; fuzz targets and benchmarks link all of them.
set(ISORA_LIBS "" CACHE INTERNAL "")

# isora_glob_library(NAME DIR [DEPS ...]): one static library from every .cpp in DIR. Its include
# root is the caller's to give (cmake/Layers.cmake).
function(isora_glob_library name dir)
  file(GLOB _src CONFIGURE_DEPENDS ${dir}/*.cpp)
  list(FILTER _src EXCLUDE REGEX "/main\\.cpp$")
  if(NOT _src)
    return()
  endif()
  add_library(${name} STATIC ${_src})
  set(_deps "")
  foreach(d ${ARGN})
    if(TARGET ${d})
      list(APPEND _deps ${d})
    endif()
  endforeach()
  target_link_libraries(${name} PUBLIC ${_deps})
  set(ISORA_LIBS ${ISORA_LIBS} ${name} CACHE INTERNAL "")
endfunction()

include(${CMAKE_CURRENT_LIST_DIR}/Layers.cmake)

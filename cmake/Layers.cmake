# Layers the compiler enforces.
#
# Each library sees only its own headers and those of the layers below it: instead of src/, its
# include root is a folder of links, <build>/layers/<layer>/<name> -> src/<name>, for its own
# layer and the ones below only, so an include that points up names a file that is not there.
# Above the media layer every file is compiled with forbidden_calls.h forced in front of it,
# which turns the OS's files, clocks, chance and environment into compile errors.

# isora_layer_root(LAYER OUT): the include root that holds LAYER and every layer below it.
function(isora_layer_root layer out)
  set(_root ${PROJECT_BINARY_DIR}/layers/${layer})
  foreach(l ${ISORA_LAYERS})
    if(NOT IS_SYMLINK ${_root}/${l})
      file(MAKE_DIRECTORY ${_root})
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${l} ${_root}/${l} SYMBOLIC)
    endif()
    if(l STREQUAL layer)
      break()
    endif()
  endforeach()
  set(${out} ${_root} PARENT_SCOPE)
endfunction()

# isora_layer_view(TARGET LAYER): TARGET and what links it see the layers up to LAYER.
function(isora_layer_view target layer)
  isora_layer_root(${layer} _root)
  target_include_directories(${target} PUBLIC ${_root})
endfunction()

set(ISORA_FORBIDDEN_CALLS_HEADER ${PROJECT_SOURCE_DIR}/src/foundation/forbidden_calls.h)
# The layers that own the seams call the OS themselves.
set(ISORA_OS_LAYERS foundation media)

# isora_forbid_os_calls(TARGET): TARGET's own files may not call the OS directly. The web build
# compiles the same sources against another standard library and leaves the check to the
# native builds.
function(isora_forbid_os_calls target)
  if(NOT EMSCRIPTEN)
    target_compile_options(${target} PRIVATE "SHELL:-include ${ISORA_FORBIDDEN_CALLS_HEADER}")
  endif()
endfunction()

# isora_test_libraries(FOLDER OUT): what the test program of tests/FOLDER links. A layer's tests
# link that layer, the others name theirs; every program has the kit's library for its fixtures.
function(isora_test_libraries folder out)
  set(_libs isora_toollib)
  if(folder IN_LIST ISORA_LAYERS)
    list(APPEND _libs isora_${folder})
  elseif(folder STREQUAL "e2e")
    list(APPEND _libs isora_shell)
  endif()
  set(${out} ${_libs} PARENT_SCOPE)
endfunction()

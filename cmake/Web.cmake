# The isora program as a WebAssembly module for the page in web/: isora.js and isora.wasm. The
# game data and fonts are packed separately (scripts/build-web), so the page loads them with a
# progress bar and a rebuilt demo does not relink the program. The page calls main itself once
# the data, the saves and (for a replay) the replay file are in place.
target_link_options(isora PRIVATE
  -sALLOW_MEMORY_GROWTH=1
  -sINITIAL_MEMORY=67108864
  -sFORCE_FILESYSTEM=1
  -sEXIT_RUNTIME=0
  -sINVOKE_RUN=0
  "-sEXPORTED_RUNTIME_METHODS=[FS,callMain,UTF8ToString,addRunDependency,removeRunDependency,FS_createPath,FS_createDataFile,FS_createPreloadedFile]"
  # JavaScript helpers SDL2's audio code calls (web/library.js).
  --js-library ${PROJECT_SOURCE_DIR}/web/library.js
  -sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=[isora_sdl_helpers]
  -lidbfs.js)
set_property(TARGET isora APPEND PROPERTY LINK_DEPENDS ${PROJECT_SOURCE_DIR}/web/library.js)

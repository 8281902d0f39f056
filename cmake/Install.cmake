# cmake --install and the Debian package (cpack -G DEB): the two programs, the demo game the
# build made, and what a desktop needs to offer the game in its menus (a .desktop entry, an
# icon, AppStream metadata), in the usual places below the prefix. An installed isora finds the
# demo relative to its own folder (kInstalledDemoFromProgram), so it plays with no arguments.
if(NOT TARGET isora OR NOT TARGET isora-kit OR NOT TARGET demo)
  return()
endif()

set(ISORA_APP_ID org.isora.Isora)
# The date of the release named by the project's VERSION, for the AppStream metadata.
set(ISORA_RELEASE_DATE 2026-12-08)
set(_linux ${PROJECT_SOURCE_DIR}/packaging/linux)

install(TARGETS isora isora-kit RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The built demo, without what playing it in the build tree leaves behind.
install(DIRECTORY ${CMAKE_BINARY_DIR}/demo/ DESTINATION ${ISORA_INSTALL_DEMO_DIR}
        PATTERN saves EXCLUDE
        PATTERN screenshot EXCLUDE
        PATTERN *.log EXCLUDE
        PATTERN .isora-write-test EXCLUDE)

configure_file(${_linux}/${ISORA_APP_ID}.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/packaging/${ISORA_APP_ID}.metainfo.xml @ONLY)
install(FILES ${_linux}/${ISORA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_linux}/${ISORA_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_BINARY_DIR}/packaging/${ISORA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES README.md docs/content.md docs/walkthrough.md docs/script-commands.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The Debian package, built from the release tree with: cpack -G DEB
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME isora)
set(CPACK_PACKAGE_VENDOR "The Isora developers")
set(CPACK_PACKAGE_CONTACT "The Isora developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "isometric action role-playing game and engine")
set(CPACK_PACKAGE_DESCRIPTION
    "Isora is a small isometric action role-playing game and the engine it runs on: the hero
walks a town, the wilds and a crypt, talks to people, fights monsters in real time with
skills, trades items, takes on missions, and saves and loads. The package holds the game
(isora, with its demo game), and isora-kit, the tool that builds games from text sources
and Tiled maps.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
# The libraries the programs link come from dpkg-shlibdeps; the demo's texts need a face that
# covers Latin and Chinese, which fontconfig finds in this font package.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wqy-microhei")
# MIDI music (none in the demo) plays through a soundfont. FFmpeg's libraries are opened only
# when a file needs them (music SDL_mixer cannot play, video), so dpkg-shlibdeps does not see
# them: they are named here by the major versions the program was built against.
set(isora_recommends "timgm6mb-soundfont")
if(ISORA_WITH_FFMPEG)
  foreach(lib avformat avcodec swscale swresample avutil)
    string(REGEX MATCH "^[0-9]+" major "${FFMPEG_lib${lib}_VERSION}")
    string(APPEND isora_recommends ", lib${lib}${major}")
  endforeach()
endif()
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "${isora_recommends}")
include(CPack)

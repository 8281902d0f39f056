// Page helpers linked into isora.js. SDL2's emscripten code calls autoResumeAudioContext (sound
// resumes on the first click or key) and dynCall from its own JavaScript; nothing else names
// them, so this entry pulls them in.
mergeInto(LibraryManager.library, {
  isora_sdl_helpers__deps: ['$autoResumeAudioContext', '$dynCall'],
  isora_sdl_helpers: function () {},
});

// Background music: one player that opens a music file, plays it (looping by rewinding at its
// end) and reports completion as the kUmGraphNotify message, handled on the game thread by
// OnGraphNotify. SDL_mixer decodes what it knows (WAV, OGG, MP3, FLAC, MIDI, modules); FFmpeg's
// libraries, where the build has them, decode the rest (WMA and other containers) and every
// file with video, whose pictures show in the video window over the game window.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "foundation/game_log.h"

namespace isora {

class Platform;
class VideoWindow;

// What the player needs of a media graph. The SDL_mixer one plays real files; tests use a fake.
class MusicBackend {
 public:
  virtual ~MusicBackend() = default;
  // Builds the graph; false when no graph can be made (no audio device).
  virtual bool Create() = 0;
  // Renders a file (native path); false when it cannot be played.
  virtual bool RenderFile(const std::string& path) = 0;
  virtual bool Run() = 0;
  virtual bool Pause() = 0;
  virtual bool Stop() = 0;
  // Absolute position in 100-ns media time units.
  virtual bool SeekTo(int64_t position) = 0;
  virtual int64_t CurrentPosition() = 0;
  // Takes the next pending event: true and *code (1 = completion, 3 = stopped by an error)
  // when there was one.
  virtual bool TakeEvent(int* code) = 0;
  virtual void Release() = 0;
  // The graph's video window; null when the file has no pictures (audio only).
  virtual VideoWindow* Video() { return nullptr; }
  // Why the last RenderFile failed, or why the graph stopped with an error.
  virtual std::string FailureText() const { return {}; }
  // Called (from any thread) when an event becomes pending.
  void SetNotify(void (*notify)(void*), void* context) {
    notify_ = notify;
    notifyContext_ = context;
  }

 protected:
  void Notify() {
    if (notify_) notify_(notifyContext_);
  }

 private:
  void (*notify_)(void*) = nullptr;
  void* notifyContext_ = nullptr;
};

// The SDL_mixer graph.
std::unique_ptr<MusicBackend> MakeSdlMusicBackend();
// The FFmpeg graph (audio from any container, and video); fails to render in builds without it.
std::unique_ptr<MusicBackend> MakeDecodedMusicBackend();
// The graph the player uses: looks at the file and renders it with whichever of the two above
// plays it.
std::unique_ptr<MusicBackend> MakeMediaGraph();

// The General MIDI soundfont SDL_mixer plays MIDI with (SDL_SOUNDFONTS, or the first one found
// in the usual places); empty when there is none.
const std::string& MidiSoundFont();

class MusicPlayer {
 public:
  enum State { kNone = 0, kPlaying = 1, kStopped = 2, kPaused = 3 };
  static constexpr int kEventComplete = 1;
  static constexpr int kEventErrorAbort = 3;

  // The backend factory defaults to MakeMediaGraph.
  MusicPlayer();
  explicit MusicPlayer(std::unique_ptr<MusicBackend> (*backendFactory)());
  ~MusicPlayer();
  MusicPlayer(const MusicPlayer&) = delete;
  MusicPlayer& operator=(const MusicPlayer&) = delete;

  // Closes any previous graph, builds one for the file (a game path) and registers the window
  // (may be null) for kUmGraphNotify. False with LastError() set on failure; a file that
  // cannot be played is also logged with the reason.
  bool Open(Platform* notifyWindow, const std::string& path);
  // Starts from the beginning; loop makes the piece restart at its end. With video, the window
  // becomes the owner of the video window, which covers its client area until Close.
  bool Play(Platform* window, bool loop);
  bool Pause();
  bool Resume();
  bool Stop();
  void StopAndClose();
  void Close();
  bool IsPlaying() const { return state_ == kPlaying; }
  // Handles the pending events of the graph (on kUmGraphNotify). A graph stopped by an error
  // (a damaged file) is logged and closed.
  bool OnGraphNotify();

  State GetState() const { return state_; }
  bool IsLoaded() const { return loaded_; }
  bool IsLooping() const { return loop_; }
  bool IsAudioOnly() const { return audioOnly_; }
  // The last failure's text (GBK), as the game's texts give it.
  const std::string& LastError() const { return lastError_; }

 private:
  static void NotifyWindow(void* self);

  void HideVideo();

  std::unique_ptr<MusicBackend> (*factory_)();
  std::unique_ptr<MusicBackend> graph_;
  GameLog log_;
  std::string path_;
  Platform* videoOwner_ = nullptr;
  std::string lastError_;
  bool audioOnly_ = false;
  bool loaded_ = false;
  bool loop_ = false;
  State state_ = kNone;
  int64_t savedPosition_ = 0;
  std::atomic<Platform*> notifyWindow_{nullptr};
};

}  // namespace isora

// Background music: one player that opens a music file, plays it (looping by rewinding at its
// end) and reports completion as the kUmGraphNotify message, handled on the game thread by
// OnGraphNotify. Decoding is SDL_mixer's (WAV, OGG, MP3, MIDI as it provides).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace isora {

class Platform;

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
  // Takes the next pending event: true and *code (1 = completion) when there was one.
  virtual bool TakeEvent(int* code) = 0;
  virtual void Release() = 0;
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

class MusicPlayer {
 public:
  enum State { kNone = 0, kPlaying = 1, kStopped = 2, kPaused = 3 };
  static constexpr int kEventComplete = 1;

  // The backend factory defaults to SDL_mixer.
  MusicPlayer();
  explicit MusicPlayer(std::unique_ptr<MusicBackend> (*backendFactory)());
  ~MusicPlayer();
  MusicPlayer(const MusicPlayer&) = delete;
  MusicPlayer& operator=(const MusicPlayer&) = delete;

  // Closes any previous graph, builds one for the file (a game path) and registers the window
  // (may be null) for kUmGraphNotify. False with LastError() set on failure.
  bool Open(Platform* notifyWindow, const std::string& path);
  // Starts from the beginning; loop makes the piece restart at its end.
  bool Play(Platform* window, bool loop);
  bool Pause();
  bool Resume();
  bool Stop();
  void StopAndClose();
  void Close();
  bool IsPlaying() const { return state_ == kPlaying; }
  // Handles the pending events of the graph (on kUmGraphNotify).
  bool OnGraphNotify();

  State GetState() const { return state_; }
  bool IsLoaded() const { return loaded_; }
  bool IsLooping() const { return loop_; }
  bool IsAudioOnly() const { return audioOnly_; }
  // The last failure's text (GBK), as the game's texts give it.
  const std::string& LastError() const { return lastError_; }

 private:
  static void NotifyWindow(void* self);

  std::unique_ptr<MusicBackend> (*factory_)();
  std::unique_ptr<MusicBackend> graph_;
  std::string lastError_;
  bool audioOnly_ = false;
  bool loaded_ = false;
  bool loop_ = false;
  State state_ = kNone;
  int64_t savedPosition_ = 0;
  std::atomic<Platform*> notifyWindow_{nullptr};
};

}  // namespace isora

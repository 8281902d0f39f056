#include "media/music_player.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

#include <cmath>

#include "foundation/file_io.h"
#include "foundation/gbk.h"
#include "media/audio_device.h"
#include "media/platform.h"
#include "media/sdl_handles.h"
#include "media/sound.h"

namespace isora {

namespace {

// SDL_mixer plays one piece of music at a time; the backend that owns it hears its end.
class SdlMusicBackend;
std::atomic<SdlMusicBackend*> currentMusic{nullptr};

class SdlMusicBackend : public MusicBackend {
 public:
  ~SdlMusicBackend() override { Release(); }

  bool Create() override { return device_.Acquire(); }
  bool RenderFile(const std::string& path) override {
    music_.reset(Mix_LoadMUS(path.c_str()));
    return music_ != nullptr;
  }
  bool Run() override {
    if (!music_) return false;
    if (!started_ || finished_) {
      // Taking the music over from another backend silences it without a completion.
      if (SdlMusicBackend* other = currentMusic.exchange(this); other && other != this)
        other->armed_ = false;
      armed_ = false;
      finished_ = false;
      Mix_HookMusicFinished(&SdlMusicBackend::OnFinished);
      armed_ = true;
      if (Mix_PlayMusic(music_.get(), 0) != 0) {
        armed_ = false;
        return false;
      }
      started_ = true;
      Mix_VolumeMusic(MIX_MAX_VOLUME * MusicVolume() / kFullVolume);
      if (pendingSeek_ > 0) Mix_SetMusicPosition(pendingSeek_ / 1e7);
      pendingSeek_ = 0;
    } else {
      Mix_ResumeMusic();
    }
    running_ = true;
    return true;
  }
  bool Pause() override {
    if (started_ && !finished_) Mix_PauseMusic();
    running_ = false;
    return true;
  }
  bool Stop() override { return Pause(); }
  bool SeekTo(int64_t position) override {
    if (!music_) return false;
    if (started_ && !finished_ && IsOurs()) {
      if (position == 0) {
        Mix_RewindMusic();
        return true;
      }
      return Mix_SetMusicPosition(position / 1e7) == 0;
    }
    pendingSeek_ = position;
    // A graph that is still running at its end starts again from the new position.
    if (running_ && finished_) return Run();
    return true;
  }
  int64_t CurrentPosition() override {
    if (!music_ || !started_ || finished_) return pendingSeek_;
    double s = Mix_GetMusicPosition(music_.get());
    return s < 0 ? 0 : static_cast<int64_t>(std::llround(s * 1e7));
  }
  bool TakeEvent(int* code) override {
    if (!completed_.exchange(false)) return false;
    *code = MusicPlayer::kEventComplete;
    return true;
  }
  void Release() override {
    if (music_) {
      armed_ = false;
      SdlMusicBackend* self = this;
      currentMusic.compare_exchange_strong(self, nullptr);
      music_.reset();  // halts it first when it is playing
    }
    started_ = running_ = false;
    finished_ = false;
    device_.Release();
  }

 private:
  bool IsOurs() const { return currentMusic.load() == this; }
  // Runs on the audio thread: only atomics are touched, and the game hears of it by message.
  static void OnFinished() {
    SdlMusicBackend* b = currentMusic.load();
    if (!b || !b->armed_.exchange(false)) return;
    b->finished_ = true;
    b->completed_ = true;
    b->Notify();
  }

  audio::Lease device_;
  sdl::MusicPtr music_;
  bool started_ = false;
  bool running_ = false;
  std::atomic<bool> armed_{false};
  std::atomic<bool> finished_{false};
  std::atomic<bool> completed_{false};
  int64_t pendingSeek_ = 0;
};

}  // namespace

std::unique_ptr<MusicBackend> MakeSdlMusicBackend() { return std::make_unique<SdlMusicBackend>(); }

MusicPlayer::MusicPlayer() : MusicPlayer(&MakeSdlMusicBackend) {}
MusicPlayer::MusicPlayer(std::unique_ptr<MusicBackend> (*backendFactory)())
    : factory_(backendFactory) {}
MusicPlayer::~MusicPlayer() { Close(); }

void MusicPlayer::NotifyWindow(void* self) {
  auto* player = static_cast<MusicPlayer*>(self);
  if (Platform* window = player->notifyWindow_.load()) window->PostMessage(kUmGraphNotify);
}

bool MusicPlayer::Open(Platform* notifyWindow, const std::string& path) {
  Close();
  auto graph = factory_();
  if (!graph || !graph->Create()) {
    lastError_ = Gbk(u8"创建DirectGraph对象失败!");
    return false;
  }
  if (!graph->RenderFile(NativePath(path))) {
    graph->Release();
    lastError_ = "RenderFile Failed!";
    return false;
  }
  // The pieces are audio: there is never a video window to show.
  audioOnly_ = true;
  notifyWindow_ = notifyWindow;
  graph->SetNotify(&MusicPlayer::NotifyWindow, this);
  graph_ = std::move(graph);
  loaded_ = true;
  return true;
}

bool MusicPlayer::Play(Platform* /*window*/, bool loop) {
  if (!loaded_ || !graph_) {
    lastError_ = "Media haven't loaded!";
    return false;
  }
  graph_->SeekTo(0);
  if (!graph_->Run()) {
    lastError_ = "Run Failed!";
    return false;
  }
  state_ = kPlaying;
  loop_ = loop;
  return true;
}

bool MusicPlayer::Pause() {
  if (!graph_) {
    lastError_ = "No Media!";
    return false;
  }
  if (state_ != kPlaying || !graph_->Pause()) return false;
  savedPosition_ = graph_->CurrentPosition();
  state_ = kPaused;
  return true;
}

bool MusicPlayer::Resume() {
  if (state_ != kPaused || !graph_) {
    lastError_ = "m_pMediaControl==null";
    return false;
  }
  graph_->SeekTo(savedPosition_);
  if (!graph_->Run()) {
    lastError_ = "Run Failed!";
    return false;
  }
  state_ = kPlaying;
  return true;
}

bool MusicPlayer::Stop() {
  if (!graph_) {
    lastError_ = "No Media!";
    return false;
  }
  graph_->SeekTo(0);
  graph_->Pause();
  state_ = kStopped;
  return true;
}

void MusicPlayer::StopAndClose() {
  if (graph_) {
    graph_->Stop();
    graph_->SeekTo(0);
  }
  Close();
}

void MusicPlayer::Close() {
  if (graph_) {
    graph_->Stop();
    graph_->Release();
    graph_.reset();
  }
  notifyWindow_ = nullptr;
  loaded_ = false;
  loop_ = false;
  state_ = kNone;
}

bool MusicPlayer::OnGraphNotify() {
  if (!graph_) return false;
  int code = 0;
  while (graph_ && graph_->TakeEvent(&code)) {
    if (code != kEventComplete) continue;
    if (!loop_) {
      Close();
      break;
    }
    if (!graph_->SeekTo(0)) {
      graph_->Stop();
      graph_->Run();
    }
  }
  return true;
}

}  // namespace isora

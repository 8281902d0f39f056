#include "media/music_player.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

#include "foundation/file_io.h"
#include "foundation/gbk.h"
#include "foundation/win_format.h"
#include "media/audio_device.h"
#include "media/media_decoder.h"
#include "media/music_output.h"
#include "media/platform.h"
#include "media/sdl_handles.h"
#include "media/sound.h"

namespace isora {

namespace music_output {
namespace {
void* holder = nullptr;
LetGo holderLetGo = nullptr;
}  // namespace

void Take(void* h, LetGo letGo) {
  if (holder != h && holder && holderLetGo) holderLetGo(holder);
  holder = h;
  holderLetGo = letGo;
}

void Leave(void* h) {
  if (holder != h) return;
  holder = nullptr;
  holderLetGo = nullptr;
}
}  // namespace music_output

const std::string& MidiSoundFont() {
  static const std::string chosen = [] {
    // SDL_mixer reads the variable itself; otherwise it is told where the soundfont is.
    if (const char* env = std::getenv("SDL_SOUNDFONTS"); env && *env) return std::string(env);
    static const char* const kPlaces[] = {
        "/usr/share/sounds/sf2/default-GM.sf2",   "/usr/share/sounds/sf3/default-GM.sf3",
        "/usr/share/sounds/sf2/FluidR3_GM.sf2",   "/usr/share/sounds/sf2/TimGM6mb.sf2",
        "/usr/share/soundfonts/default.sf2",      "/usr/share/soundfonts/FluidR3_GM.sf2",
        "/usr/local/share/soundfonts/default.sf2"};
    std::error_code ec;
    for (const char* place : kPlaces)
      if (std::filesystem::is_regular_file(place, ec)) {
        Mix_SetSoundFonts(place);
        return std::string(place);
      }
    return std::string();
  }();
  return chosen;
}

namespace {

// SDL_mixer plays one piece of music at a time; the backend that owns it hears its end.
class SdlMusicBackend;
std::atomic<SdlMusicBackend*> currentMusic{nullptr};

class SdlMusicBackend : public MusicBackend {
 public:
  ~SdlMusicBackend() override { Release(); }

  bool Create() override { return device_.Acquire(); }
  bool RenderFile(const std::string& path) override {
    MidiSoundFont();  // SDL_mixer is pointed at it before it looks for one
    music_.reset(Mix_LoadMUS(path.c_str()));
    if (!music_) failure_ = Mix_GetError();
    return music_ != nullptr;
  }
  std::string FailureText() const override { return failure_; }
  bool Run() override {
    if (!music_) return false;
    music_output::Take(this, &SdlMusicBackend::LetGo);
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
    music_output::Leave(this);
    started_ = running_ = false;
    finished_ = false;
    device_.Release();
  }

 private:
  bool IsOurs() const { return currentMusic.load() == this; }
  // A decoded graph takes the stream: this music stops without a completion.
  static void LetGo(void* holder) {
    auto* self = static_cast<SdlMusicBackend*>(holder);
    self->armed_ = false;
    if (self->IsOurs() && self->started_ && !self->finished_) Mix_HaltMusic();
    self->finished_ = true;
    self->running_ = false;
  }
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
  std::string failure_;
};

// What SDL_mixer plays itself (as FFmpeg names the containers): the rest goes to FFmpeg first.
bool MixerPlays(const std::string& container) {
  static const std::set<std::string> kMixer = {"wav",  "ogg", "mp3",        "flac",
                                               "aiff", "voc", "libopenmpt", "libmodplug"};
  return kMixer.count(container) > 0;
}

// Windows plays MIDI through its own synthesiser, and the web build has no MIDI at all.
constexpr bool MidiNeedsSoundFont() {
#if defined(_WIN32) || defined(__EMSCRIPTEN__)
  return false;
#else
  return true;
#endif
}

bool IsMidiFile(const std::string& nativePath) {
  std::ifstream in(nativePath, std::ios::binary);
  char magic[4] = {};
  return in.read(magic, 4) && std::string(magic, 4) == "MThd";
}

// What the first bytes tell of files only SDL_mixer needs to play (audio alone, always): the
// container's name as FFmpeg gives it, so such files are played without loading FFmpeg to look
// at them. Empty for every other file.
std::string MixerOnlyContainer(const std::string& nativePath) {
  std::ifstream in(nativePath, std::ios::binary);
  char head[12] = {};
  if (!in.read(head, sizeof head)) return {};
  const std::string h(head, sizeof head);
  if (h.compare(0, 4, "RIFF") == 0 && h.compare(8, 4, "WAVE") == 0) return "wav";
  if (h.compare(0, 4, "fLaC") == 0) return "flac";
  return {};
}

// Looks at the file and renders it with the graph that plays it: files with video and
// containers SDL_mixer does not know through FFmpeg, the others through SDL_mixer, each falling
// back on the other.
class MediaGraph : public MusicBackend {
 public:
  ~MediaGraph() override { Release(); }

  bool Create() override {
    haveDevice_ = device_.Acquire();
    // Without an audio device, video can still be shown.
    return haveDevice_ || MediaDecodingAvailable();
  }
  bool RenderFile(const std::string& path) override {
    failure_.clear();
    MediaInfo info;
    info.container = MixerOnlyContainer(path);
    if (info.container.empty()) {
      info = ProbeMedia(path);
    } else {
      info.opened = info.hasAudio = true;
    }
    bool ok = false;
    if (info.hasVideo) {
      ok = TryDecoded(path) || TrySdl(path);
    } else if (!haveDevice_) {
      Note("no audio device");
    } else if (!info.opened || MixerPlays(info.container)) {
      ok = TrySdl(path) || (info.hasAudio && TryDecoded(path));
    } else {
      ok = TryDecoded(path) || TrySdl(path);
    }
    if (ok) {
      inner_->SetNotify(&MediaGraph::Forward, this);
      return true;
    }
    if (!MediaDecodingAvailable()) Note("this build has no FFmpeg to decode other formats");
    return false;
  }
  bool Run() override { return inner_ && inner_->Run(); }
  bool Pause() override { return inner_ && inner_->Pause(); }
  bool Stop() override { return inner_ && inner_->Stop(); }
  bool SeekTo(int64_t position) override { return inner_ && inner_->SeekTo(position); }
  int64_t CurrentPosition() override { return inner_ ? inner_->CurrentPosition() : 0; }
  bool TakeEvent(int* code) override { return inner_ && inner_->TakeEvent(code); }
  void Release() override {
    if (inner_) inner_->Release();
    inner_.reset();
    device_.Release();
  }
  VideoWindow* Video() override { return inner_ ? inner_->Video() : nullptr; }
  std::string FailureText() const override { return inner_ ? inner_->FailureText() : failure_; }

 private:
  static void Forward(void* self) { static_cast<MediaGraph*>(self)->Notify(); }

  void Note(const std::string& why) {
    if (why.empty()) return;
    failure_ += failure_.empty() ? why : "; " + why;
  }
  bool Try(std::unique_ptr<MusicBackend> graph, const char* who, const std::string& path) {
    if (graph->Create() && graph->RenderFile(path)) {
      inner_ = std::move(graph);
      return true;
    }
    Note(std::string(who) + ": " + graph->FailureText());
    graph->Release();
    return false;
  }
  bool TrySdl(const std::string& path) {
    if (!haveDevice_) return false;
    if (Try(MakeSdlMusicBackend(), "SDL_mixer", path)) return true;
    if (MidiNeedsSoundFont() && IsMidiFile(path) && MidiSoundFont().empty())
      Note("no General MIDI soundfont found (install one, or set SDL_SOUNDFONTS)");
    return false;
  }
  bool TryDecoded(const std::string& path) {
    return MediaDecodingAvailable() && Try(MakeDecodedMusicBackend(), "FFmpeg", path);
  }

  audio::Lease device_;
  bool haveDevice_ = false;
  std::unique_ptr<MusicBackend> inner_;
  std::string failure_;
};

}  // namespace

std::unique_ptr<MusicBackend> MakeSdlMusicBackend() { return std::make_unique<SdlMusicBackend>(); }
std::unique_ptr<MusicBackend> MakeMediaGraph() { return std::make_unique<MediaGraph>(); }

MusicPlayer::MusicPlayer() : MusicPlayer(&MakeMediaGraph) {}
MusicPlayer::MusicPlayer(std::unique_ptr<MusicBackend> (*backendFactory)())
    : factory_(backendFactory), log_("GameEngine.log", false) {}
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
  const std::string native = NativePath(path);
  // A FIFO or a device in a music file's place would hold the decoder (and the game) forever.
  std::error_code ec;
  if (std::FILE* f = OpenRegularFile(native)) {
    std::fclose(f);
  } else if (std::filesystem::exists(native, ec)) {
    log_.WriteText(WinFormat("[music]cannot play %s: not a regular file", path.c_str()));
    graph->Release();
    lastError_ = "RenderFile Failed!";
    return false;
  }
  if (!graph->RenderFile(native)) {
    log_.WriteText(
        WinFormat("[music]cannot play %s: %s", path.c_str(), graph->FailureText().c_str()));
    graph->Release();
    lastError_ = "RenderFile Failed!";
    return false;
  }
  if (MidiNeedsSoundFont() && IsMidiFile(native) && MidiSoundFont().empty())
    log_.WriteText(WinFormat("[music]no General MIDI soundfont found for %s", path.c_str()));
  // The video check: a graph without a video window is audio only.
  audioOnly_ = graph->Video() == nullptr;
  path_ = path;
  notifyWindow_ = notifyWindow;
  graph->SetNotify(&MusicPlayer::NotifyWindow, this);
  graph_ = std::move(graph);
  loaded_ = true;
  return true;
}

bool MusicPlayer::Play(Platform* window, bool loop) {
  if (!loaded_ || !graph_) {
    lastError_ = "Media haven't loaded!";
    return false;
  }
  if (VideoWindow* video = audioOnly_ ? nullptr : graph_->Video()) {
    video->SetHideCursor(true);
    if (!window) {
      lastError_ = "Put Owner Failed!";
      return false;
    }
    if (videoOwner_ && videoOwner_ != window && videoOwner_->GetVideoWindow() == video)
      videoOwner_->SetVideoWindow(nullptr);
    window->SetVideoWindow(video);  // sized to the client area: the 640×480 screen
    videoOwner_ = window;
    video->SetVisible(true);
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

void MusicPlayer::HideVideo() {
  VideoWindow* video = graph_ ? graph_->Video() : nullptr;
  if (video) video->SetVisible(false);
  if (videoOwner_ && video && videoOwner_->GetVideoWindow() == video)
    videoOwner_->SetVideoWindow(nullptr);
  videoOwner_ = nullptr;
}

void MusicPlayer::Close() {
  if (graph_) {
    graph_->Stop();
    HideVideo();
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
    if (code == kEventErrorAbort) {
      log_.WriteText(
          WinFormat("[music]%s stopped: %s", path_.c_str(), graph_->FailureText().c_str()));
      Close();
      break;
    }
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

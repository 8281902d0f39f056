// The FFmpeg graph: a thread of its own reads and decodes the file ahead of time; the mixer's
// music hook takes the samples (at the music volume, under the effects, as SDL_mixer's own
// music would be), and each picture goes to the video window when its time comes. Completion
// is reported like SDL_mixer's: once the last sample has been handed to the device and the last
// picture shown. A file that fails while playing stops the graph with an error event instead.
#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

#include "media/audio_device.h"
#include "media/media_decoder.h"
#include "media/music_output.h"
#include "media/music_player.h"
#include "media/video_window.h"

namespace isora {

namespace {

using SteadyClock = std::chrono::steady_clock;

// How far the thread decodes ahead: enough to ride out a slow moment, little enough to stay
// small (a picture is 600 KB).
constexpr double kAudioAheadSeconds = 0.5;
constexpr size_t kFramesAhead = 4;
constexpr size_t kMostFramesAhead = 12;
constexpr double kMostAudioAheadSeconds = 4;

class DecodedMusic final : public MusicBackend {
 public:
  ~DecodedMusic() override { Release(); }

  bool Create() override {
    int rate = 0, channels = 0;
    unsigned short format = 0;
    haveDevice_ = device_.Acquire() && audio::DeviceSpec(&rate, &format, &channels) &&
                  format == AUDIO_S16SYS && channels > 0;
    rate_ = haveDevice_ ? rate : 44100;
    channels_ = haveDevice_ ? channels : 2;
    return true;
  }

  bool RenderFile(const std::string& path) override {
    if (!decoder_.Open(path, rate_, channels_, haveDevice_, true)) {
      failure_ = decoder_.Error();
      return false;
    }
    if (decoder_.HasVideo()) video_ = std::make_unique<VideoWindow>();
    worker_ = std::thread(&DecodedMusic::Work, this);
    return true;
  }

  bool Run() override {
    if (!worker_.joinable()) return false;
    music_output::Take(this, &DecodedMusic::LetGo);
    if (haveDevice_ && decoder_.HasAudio() && !hooked_) {
      Mix_HookMusic(&DecodedMusic::Feed, this);
      hooked_ = true;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    if (!running_) {
      running_ = true;
      runSince_ = SteadyClock::now();
    }
    wake_.notify_all();
    return true;
  }

  bool Pause() override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (running_) runBase_ = ClockLocked();
    running_ = false;
    return true;
  }
  bool Stop() override { return Pause(); }

  bool SeekTo(int64_t position) override {
    if (!worker_.joinable()) return false;
    std::lock_guard<std::mutex> lock(mutex_);
    seek_ = position < 0 ? 0 : position;
    ClearLocked();
    runBase_ = *seek_;
    runSince_ = SteadyClock::now();
    ended_ = false;
    wake_.notify_all();
    return true;
  }

  int64_t CurrentPosition() override {
    std::lock_guard<std::mutex> lock(mutex_);
    return ClockLocked();
  }

  bool TakeEvent(int* code) override {
    if (aborted_.exchange(false)) {
      *code = MusicPlayer::kEventErrorAbort;
      return true;
    }
    if (!completed_.exchange(false)) return false;
    *code = MusicPlayer::kEventComplete;
    return true;
  }

  void Release() override {
    if (worker_.joinable()) {
      {
        std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
      }
      decoder_.Interrupt();
      wake_.notify_all();
      worker_.join();
    }
    Unhook();
    music_output::Leave(this);
    device_.Release();
  }

  VideoWindow* Video() override { return video_.get(); }

  std::string FailureText() const override {
    std::lock_guard<std::mutex> lock(mutex_);
    return failure_;
  }

 private:
  // Another graph took the music stream: this one falls silent and waits.
  static void LetGo(void* holder) {
    auto* self = static_cast<DecodedMusic*>(holder);
    self->Unhook();
    self->Pause();
  }

  void Unhook() {
    // Once this returns the audio thread is out of Feed and will not enter it again.
    if (hooked_) Mix_HookMusic(nullptr, nullptr);
    hooked_ = false;
  }

  // The audio thread, with the mixer's lock held: the music goes under the effect channels the
  // mixer adds next.
  static void Feed(void* udata, Uint8* stream, int len) {
    auto* self = static_cast<DecodedMusic*>(udata);
    std::lock_guard<std::mutex> lock(self->mutex_);
    if (!self->running_ || self->seek_) return;
    const size_t have = self->samples_.size() - self->read_;
    const size_t n = std::min(have, static_cast<size_t>(len) / sizeof(int16_t));
    if (n > 0)
      SDL_MixAudioFormat(
          stream, reinterpret_cast<const Uint8*>(self->samples_.data() + self->read_), AUDIO_S16SYS,
          static_cast<Uint32>(n * sizeof(int16_t)), Mix_VolumeMusic(-1));
    self->read_ += n;
    self->wake_.notify_all();
  }

  int64_t ClockLocked() const {
    if (!running_) return runBase_;
    auto elapsed =
        std::chrono::duration_cast<std::chrono::nanoseconds>(SteadyClock::now() - runSince_);
    return runBase_ + elapsed.count() / 100;
  }

  size_t SamplesQueued() const { return samples_.size() - read_; }

  void ClearLocked() {
    samples_.clear();
    read_ = 0;
    frames_.clear();
    eof_ = false;
  }

  // The graph's thread.
  void Work() {
    const size_t audioAhead = static_cast<size_t>(kAudioAheadSeconds * rate_) * channels_;
    const size_t mostAudio = static_cast<size_t>(kMostAudioAheadSeconds * rate_) * channels_;
    std::vector<int16_t> audio;
    std::vector<VideoFrame> pictures;
    std::unique_lock<std::mutex> lock(mutex_);
    while (!quit_) {
      if (seek_) {
        const int64_t to = *seek_;
        lock.unlock();
        const bool ok = decoder_.Seek(to);
        lock.lock();
        if (seek_ == to) seek_.reset();
        if (!ok) Fail("cannot go to the position");
        continue;
      }
      if (!running_ || ended_ || failed_) {
        wake_.wait(lock);
        continue;
      }
      ShowDuePicture();
      if (read_ > (size_t{1} << 16)) {
        samples_.erase(samples_.begin(), samples_.begin() + static_cast<ptrdiff_t>(read_));
        read_ = 0;
      }
      const bool audioWants = decoder_.HasAudio() && haveDevice_ && SamplesQueued() < audioAhead;
      const bool videoWants = decoder_.HasVideo() && frames_.size() < kFramesAhead;
      const bool room = SamplesQueued() < mostAudio && frames_.size() < kMostFramesAhead;
      if (!eof_ && room && (audioWants || videoWants)) {
        audio.clear();
        pictures.clear();
        lock.unlock();
        const MediaDecoder::Step step = decoder_.Decode(&audio, &pictures);
        lock.lock();
        if (quit_ || seek_) continue;  // what was decoded belongs to the old position
        if (haveDevice_) samples_.insert(samples_.end(), audio.begin(), audio.end());
        for (VideoFrame& p : pictures) frames_.push_back(std::move(p));
        if (step == MediaDecoder::Step::kEnd) eof_ = true;
        if (step == MediaDecoder::Step::kFailed) Fail(decoder_.Error());
        continue;
      }
      if (eof_ && frames_.empty() && (SamplesQueued() == 0 || !hooked_)) {
        ended_ = true;
        completed_ = true;
        lock.unlock();
        Notify();
        lock.lock();
        continue;
      }
      wake_.wait_for(lock, std::chrono::milliseconds(5));
    }
  }

  // Puts the latest picture whose time has come into the video window; earlier ones are late
  // and skipped.
  void ShowDuePicture() {
    const int64_t now = ClockLocked();
    std::optional<VideoFrame> due;
    while (!frames_.empty() && frames_.front().time <= now) {
      due = std::move(frames_.front());
      frames_.pop_front();
    }
    if (due && video_) video_->PutFrame(due->pixels);
  }

  void Fail(const std::string& why) {
    failed_ = true;
    failure_ = why;
    aborted_ = true;
    Notify();
  }

  audio::Lease device_;
  bool haveDevice_ = false;
  int rate_ = 44100, channels_ = 2;
  MediaDecoder decoder_;
  std::unique_ptr<VideoWindow> video_;
  std::atomic<bool> hooked_{false};  // set on the game thread
  std::thread worker_;
  std::atomic<bool> completed_{false}, aborted_{false};

  // Shared by the game thread, the graph's thread and the audio thread.
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  bool quit_ = false, running_ = false, ended_ = false, failed_ = false, eof_ = false;
  std::optional<int64_t> seek_;
  std::vector<int16_t> samples_;
  size_t read_ = 0;
  std::deque<VideoFrame> frames_;
  int64_t runBase_ = 0;  // the position when the clock last started or stopped
  SteadyClock::time_point runSince_;
  std::string failure_;
};

}  // namespace

std::unique_ptr<MusicBackend> MakeDecodedMusicBackend() { return std::make_unique<DecodedMusic>(); }

}  // namespace isora

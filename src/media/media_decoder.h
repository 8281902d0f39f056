// Audio and video from any container FFmpeg's libraries read (WMA, MP3, AAC, AVI, MPEG, WMV...):
// audio resampled to the mixer's signed 16-bit interleaved samples, pictures scaled to the
// 640×480 5-6-5 video window. Decoding is bounded: a damaged file fails with a reason, never
// loops or grows without limit. Builds without FFmpeg keep the interface and decode nothing.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace isora {

// True when this build decodes through FFmpeg.
bool MediaDecodingAvailable();

// What a file holds, as far as a bounded look at its start tells.
struct MediaInfo {
  bool opened = false;
  std::string container;  // FFmpeg's short name of the format ("asf", "avi", "mp3"...)
  bool hasAudio = false;
  bool hasVideo = false;  // moving pictures; an album cover is not video
  double seconds = 0;     // duration when the file says; 0 when unknown
  std::string error;      // why it could not be opened
};
MediaInfo ProbeMedia(const std::string& nativePath);

struct VideoFrame {
  static constexpr int kWidth = 640;
  static constexpr int kHeight = 480;
  int64_t time = 0;              // presentation time, 100-ns units from the start
  std::vector<uint16_t> pixels;  // kWidth × kHeight, 5-6-5
};

class MediaDecoder {
 public:
  enum class Step { kMore, kEnd, kFailed };

  MediaDecoder();
  ~MediaDecoder();
  MediaDecoder(const MediaDecoder&) = delete;
  MediaDecoder& operator=(const MediaDecoder&) = delete;

  // Opens a file, taking its best audio stream (resampled to rate × channels) when wantAudio
  // and its best video stream when wantVideo. False with Error() when it has neither.
  bool Open(const std::string& nativePath, int rate, int channels, bool wantAudio, bool wantVideo);
  bool HasAudio() const;
  bool HasVideo() const;
  int Channels() const { return channels_; }

  // Reads and decodes one packet: samples are appended to *audio and pictures to *frames.
  // kEnd at the end of the file, kFailed (Error() says why) when it cannot go on.
  Step Decode(std::vector<int16_t>* audio, std::vector<VideoFrame>* frames);
  // Goes to an absolute position (100-ns units); output before it is dropped.
  bool Seek(int64_t position);
  const std::string& Error() const { return error_; }

  // Makes a read in progress on another thread give up (the decoder then fails).
  void Interrupt() { interrupted_ = true; }

  // The libraries' objects of an open file.
  struct State;

 private:
  std::unique_ptr<State> state_;
  std::string error_;
  int rate_ = 0, channels_ = 0;
  std::atomic<bool> interrupted_{false};
};

}  // namespace isora

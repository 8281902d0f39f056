#include "media/media_decoder.h"

#ifdef ISORA_WITH_FFMPEG
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <dlfcn.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <mutex>
#endif

namespace isora {

#ifdef ISORA_WITH_FFMPEG

namespace {

// FFmpeg's libraries and the hundred libraries they bring are loaded when a file first needs
// them, not at start-up: loading them costs about 20 MB of memory and 50 ms, and most games
// never play anything SDL_mixer cannot.
#define ISORA_FFMPEG_FUNCTIONS(X)           \
  X(avformat, avformat_alloc_context)       \
  X(avformat, avformat_close_input)         \
  X(avformat, avformat_find_stream_info)    \
  X(avformat, avformat_open_input)          \
  X(avformat, av_find_best_stream)          \
  X(avformat, av_read_frame)                \
  X(avformat, av_seek_frame)                \
  X(avformat, avio_feof)                    \
  X(avcodec, avcodec_alloc_context3)        \
  X(avcodec, avcodec_find_decoder)          \
  X(avcodec, avcodec_flush_buffers)         \
  X(avcodec, avcodec_free_context)          \
  X(avcodec, avcodec_get_name)              \
  X(avcodec, avcodec_open2)                 \
  X(avcodec, avcodec_parameters_to_context) \
  X(avcodec, avcodec_receive_frame)         \
  X(avcodec, avcodec_send_packet)           \
  X(avcodec, av_packet_alloc)               \
  X(avcodec, av_packet_free)                \
  X(avcodec, av_packet_unref)               \
  X(avutil, av_channel_layout_compare)      \
  X(avutil, av_channel_layout_copy)         \
  X(avutil, av_channel_layout_default)      \
  X(avutil, av_channel_layout_uninit)       \
  X(avutil, av_dict_free)                   \
  X(avutil, av_dict_set)                    \
  X(avutil, av_frame_alloc)                 \
  X(avutil, av_frame_free)                  \
  X(avutil, av_frame_unref)                 \
  X(avutil, av_log_set_level)               \
  X(avutil, av_rescale)                     \
  X(avutil, av_rescale_q)                   \
  X(avutil, av_strerror)                    \
  X(swresample, swr_alloc_set_opts2)        \
  X(swresample, swr_convert)                \
  X(swresample, swr_free)                   \
  X(swresample, swr_get_out_samples)        \
  X(swresample, swr_init)                   \
  X(swresample, swr_set_matrix)             \
  X(swscale, sws_freeContext)               \
  X(swscale, sws_getCachedContext)          \
  X(swscale, sws_scale)

struct FfmpegLibraries {
#define ISORA_FFMPEG_MEMBER(lib, fn) decltype(&::fn) fn = nullptr;
  ISORA_FFMPEG_FUNCTIONS(ISORA_FFMPEG_MEMBER)
#undef ISORA_FFMPEG_MEMBER
};

// The libraries' sonames for the major versions this file was compiled against.
std::string Soname(const char* lib, int major) {
  return "lib" + std::string(lib) + ".so." + std::to_string(major);
}

// Null when a library or one of its functions is missing (then nothing is decoded).
const FfmpegLibraries* Ffmpeg() {
  static const FfmpegLibraries* loaded = [] {
    static FfmpegLibraries libs;
    const std::pair<const char*, int> names[] = {{"avutil", LIBAVUTIL_VERSION_MAJOR},
                                                 {"swresample", LIBSWRESAMPLE_VERSION_MAJOR},
                                                 {"swscale", LIBSWSCALE_VERSION_MAJOR},
                                                 {"avcodec", LIBAVCODEC_VERSION_MAJOR},
                                                 {"avformat", LIBAVFORMAT_VERSION_MAJOR}};
    std::array<void*, 5> handles{};
    for (size_t i = 0; i < handles.size(); ++i) {
      handles[i] = dlopen(Soname(names[i].first, names[i].second).c_str(), RTLD_NOW | RTLD_LOCAL);
      if (!handles[i]) return static_cast<const FfmpegLibraries*>(nullptr);
    }
    auto handle = [&](const char* lib) {
      for (size_t i = 0; i < handles.size(); ++i)
        if (std::string(names[i].first) == lib) return handles[i];
      return static_cast<void*>(nullptr);
    };
    bool complete = true;
#define ISORA_FFMPEG_LOAD(lib, fn)                                       \
  libs.fn = reinterpret_cast<decltype(&::fn)>(dlsym(handle(#lib), #fn)); \
  complete = complete && libs.fn;
    ISORA_FFMPEG_FUNCTIONS(ISORA_FFMPEG_LOAD)
#undef ISORA_FFMPEG_LOAD
    return complete ? &libs : static_cast<const FfmpegLibraries*>(nullptr);
  }();
  return loaded;
}

// Every call below goes through the loaded libraries; callers check Ffmpeg() first.
#define avformat_alloc_context (Ffmpeg()->avformat_alloc_context)
#define avformat_close_input (Ffmpeg()->avformat_close_input)
#define avformat_find_stream_info (Ffmpeg()->avformat_find_stream_info)
#define avformat_open_input (Ffmpeg()->avformat_open_input)
#define av_find_best_stream (Ffmpeg()->av_find_best_stream)
#define av_read_frame (Ffmpeg()->av_read_frame)
#define av_seek_frame (Ffmpeg()->av_seek_frame)
#define avio_feof (Ffmpeg()->avio_feof)
#define avcodec_alloc_context3 (Ffmpeg()->avcodec_alloc_context3)
#define avcodec_find_decoder (Ffmpeg()->avcodec_find_decoder)
#define avcodec_flush_buffers (Ffmpeg()->avcodec_flush_buffers)
#define avcodec_free_context (Ffmpeg()->avcodec_free_context)
#define avcodec_get_name (Ffmpeg()->avcodec_get_name)
#define avcodec_open2 (Ffmpeg()->avcodec_open2)
#define avcodec_parameters_to_context (Ffmpeg()->avcodec_parameters_to_context)
#define avcodec_receive_frame (Ffmpeg()->avcodec_receive_frame)
#define avcodec_send_packet (Ffmpeg()->avcodec_send_packet)
#define av_packet_alloc (Ffmpeg()->av_packet_alloc)
#define av_packet_free (Ffmpeg()->av_packet_free)
#define av_packet_unref (Ffmpeg()->av_packet_unref)
#define av_channel_layout_compare (Ffmpeg()->av_channel_layout_compare)
#define av_channel_layout_copy (Ffmpeg()->av_channel_layout_copy)
#define av_channel_layout_default (Ffmpeg()->av_channel_layout_default)
#define av_channel_layout_uninit (Ffmpeg()->av_channel_layout_uninit)
#define av_dict_free (Ffmpeg()->av_dict_free)
#define av_dict_set (Ffmpeg()->av_dict_set)
#define av_frame_alloc (Ffmpeg()->av_frame_alloc)
#define av_frame_free (Ffmpeg()->av_frame_free)
#define av_frame_unref (Ffmpeg()->av_frame_unref)
#define av_log_set_level (Ffmpeg()->av_log_set_level)
#define av_rescale (Ffmpeg()->av_rescale)
#define av_rescale_q (Ffmpeg()->av_rescale_q)
#define av_strerror (Ffmpeg()->av_strerror)
#define swr_alloc_set_opts2 (Ffmpeg()->swr_alloc_set_opts2)
#define swr_convert (Ffmpeg()->swr_convert)
#define swr_free (Ffmpeg()->swr_free)
#define swr_get_out_samples (Ffmpeg()->swr_get_out_samples)
#define swr_init (Ffmpeg()->swr_init)
#define swr_set_matrix (Ffmpeg()->swr_set_matrix)
#define sws_freeContext (Ffmpeg()->sws_freeContext)
#define sws_getCachedContext (Ffmpeg()->sws_getCachedContext)
#define sws_scale (Ffmpeg()->sws_scale)

// Bounds that stop a damaged file early instead of letting it run on.
constexpr int kMaxDimension = 8192;
constexpr int kMaxChannels = 64;
constexpr int kMaxRate = 768000;
constexpr int kMaxBadPacketsInRow = 64;
constexpr int kMaxPacketsWithoutOutput = 4096;
constexpr int64_t kProbeBytes = int64_t{4} << 20;
constexpr int64_t kTicksPerSecond = 10000000;
// Only files claiming at least this length are checked for ending far too early.
constexpr int64_t kDamagedCheckFrom = 2 * kTicksPerSecond;

std::string AvError(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

int InterruptRequested(void* flag) {
  return flag && static_cast<const std::atomic<bool>*>(flag)->load() ? 1 : 0;
}

// The libraries' own messages would go to stderr; the engine logs its own reasons instead.
void QuietLibraries() {
  static std::once_flag once;
  std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

// Opens a local file only (no network or other protocols, whatever the path looks like) and
// reads enough of it to know its streams.
int OpenInput(const std::string& path, std::atomic<bool>* interrupt, AVFormatContext** out) {
  QuietLibraries();
  AVFormatContext* fmt = avformat_alloc_context();
  if (!fmt) return AVERROR(ENOMEM);
  fmt->probesize = kProbeBytes;
  fmt->max_analyze_duration = 5 * AV_TIME_BASE;
  fmt->interrupt_callback.callback = &InterruptRequested;
  fmt->interrupt_callback.opaque = interrupt;
  AVDictionary* options = nullptr;
  av_dict_set(&options, "protocol_whitelist", "file", 0);
  int r = avformat_open_input(&fmt, ("file:" + path).c_str(), nullptr, &options);
  av_dict_free(&options);
  if (r < 0) return r;  // fmt is freed by the failed open
  r = avformat_find_stream_info(fmt, nullptr);
  if (r < 0) {
    avformat_close_input(&fmt);
    return r;
  }
  *out = fmt;
  return 0;
}

bool IsMovingPicture(const AVStream* s) {
  return s->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
         !(s->disposition & AV_DISPOSITION_ATTACHED_PIC) && s->codecpar->width > 0 &&
         s->codecpar->height > 0 && s->codecpar->width <= kMaxDimension &&
         s->codecpar->height <= kMaxDimension;
}

int BestStream(AVFormatContext* fmt, AVMediaType type) {
  int index = av_find_best_stream(fmt, type, -1, -1, nullptr, 0);
  if (index < 0) return -1;
  if (type == AVMEDIA_TYPE_VIDEO && !IsMovingPicture(fmt->streams[index])) {
    index = -1;
    for (unsigned i = 0; i < fmt->nb_streams && index < 0; ++i)
      if (IsMovingPicture(fmt->streams[i])) index = static_cast<int>(i);
  }
  return index;
}

}  // namespace

bool MediaDecodingAvailable() { return Ffmpeg() != nullptr; }

MediaInfo ProbeMedia(const std::string& nativePath) {
  MediaInfo info;
  if (!Ffmpeg()) {
    info.error = "FFmpeg's libraries could not be loaded";
    return info;
  }
  AVFormatContext* fmt = nullptr;
  int r = OpenInput(nativePath, nullptr, &fmt);
  if (r < 0) {
    info.error = AvError(r);
    return info;
  }
  info.opened = true;
  info.container = fmt->iformat && fmt->iformat->name ? fmt->iformat->name : "";
  info.hasAudio = BestStream(fmt, AVMEDIA_TYPE_AUDIO) >= 0;
  info.hasVideo = BestStream(fmt, AVMEDIA_TYPE_VIDEO) >= 0;
  if (fmt->duration > 0) info.seconds = static_cast<double>(fmt->duration) / AV_TIME_BASE;
  avformat_close_input(&fmt);
  return info;
}

struct MediaDecoder::State {
  AVFormatContext* fmt = nullptr;
  AVCodecContext* audio = nullptr;
  AVCodecContext* video = nullptr;
  int audioIndex = -1, videoIndex = -1;
  AVPacket* packet = nullptr;
  AVFrame* frame = nullptr;
  SwrContext* swr = nullptr;
  int swrRate = 0, swrFormat = -1;
  AVChannelLayout swrLayout{};
  SwsContext* sws = nullptr;
  int64_t startTime = 0;   // the container's first time, 100-ns units
  int64_t dropBefore = 0;  // output earlier than this is dropped (after a seek)
  int64_t nextAudioTime = 0, nextVideoTime = 0;
  int64_t declared = 0;  // the length the file gives itself, 100-ns units (0: unknown)
  int badInRow = 0, withoutOutput = 0;
  bool anyOutput = false, draining = false;

  ~State() {
    sws_freeContext(sws);
    swr_free(&swr);
    av_channel_layout_uninit(&swrLayout);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&audio);
    avcodec_free_context(&video);
    if (fmt) avformat_close_input(&fmt);
  }

  int64_t Time(int64_t pts, AVRational base) const {
    return av_rescale_q(pts, base, AVRational{1, static_cast<int>(kTicksPerSecond)}) - startTime;
  }
};

namespace {

AVCodecContext* OpenCodec(AVStream* stream, std::string* error) {
  const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
  if (!codec) {
    *error = std::string("no decoder for ") + avcodec_get_name(stream->codecpar->codec_id);
    return nullptr;
  }
  AVCodecContext* ctx = avcodec_alloc_context3(codec);
  if (!ctx) return nullptr;
  int r = avcodec_parameters_to_context(ctx, stream->codecpar);
  if (r >= 0) {
    ctx->pkt_timebase = stream->time_base;
    ctx->max_pixels = static_cast<int64_t>(kMaxDimension) * kMaxDimension;
    ctx->thread_count = 1;
    r = avcodec_open2(ctx, codec, nullptr);
  }
  if (r < 0) {
    *error = std::string(codec->name) + ": " + AvError(r);
    avcodec_free_context(&ctx);
  }
  return ctx;
}

}  // namespace

MediaDecoder::MediaDecoder() = default;
MediaDecoder::~MediaDecoder() = default;

bool MediaDecoder::Open(const std::string& nativePath, int rate, int channels, bool wantAudio,
                        bool wantVideo) {
  state_.reset();
  error_.clear();
  interrupted_ = false;
  if (rate <= 0 || rate > kMaxRate || channels <= 0 || channels > 8) {
    error_ = "bad output format";
    return false;
  }
  if (!Ffmpeg()) {
    error_ = "FFmpeg's libraries could not be loaded";
    return false;
  }
  rate_ = rate;
  channels_ = channels;
  auto s = std::make_unique<State>();
  int r = OpenInput(nativePath, &interrupted_, &s->fmt);
  if (r < 0) {
    error_ = AvError(r);
    return false;
  }
  if (s->fmt->start_time != AV_NOPTS_VALUE)
    s->startTime = av_rescale(s->fmt->start_time, kTicksPerSecond, AV_TIME_BASE);
  if (s->fmt->duration > 0)
    s->declared = av_rescale(s->fmt->duration, kTicksPerSecond, AV_TIME_BASE);
  std::string why;
  if (wantAudio) s->audioIndex = BestStream(s->fmt, AVMEDIA_TYPE_AUDIO);
  if (wantVideo) s->videoIndex = BestStream(s->fmt, AVMEDIA_TYPE_VIDEO);
  if (s->audioIndex >= 0) {
    s->audio = OpenCodec(s->fmt->streams[s->audioIndex], &why);
    if (!s->audio) s->audioIndex = -1;
  }
  if (s->videoIndex >= 0) {
    s->video = OpenCodec(s->fmt->streams[s->videoIndex], &why);
    if (!s->video) s->videoIndex = -1;
  }
  if (!s->audio && !s->video) {
    error_ = why.empty() ? "no audio or video stream" : why;
    return false;
  }
  // Streams nobody decodes are not even read.
  for (unsigned i = 0; i < s->fmt->nb_streams; ++i)
    if (static_cast<int>(i) != s->audioIndex && static_cast<int>(i) != s->videoIndex)
      s->fmt->streams[i]->discard = AVDISCARD_ALL;
  s->packet = av_packet_alloc();
  s->frame = av_frame_alloc();
  if (!s->packet || !s->frame) {
    error_ = AvError(AVERROR(ENOMEM));
    return false;
  }
  state_ = std::move(s);
  return true;
}

bool MediaDecoder::HasAudio() const { return state_ && state_->audio; }
bool MediaDecoder::HasVideo() const { return state_ && state_->video; }

namespace {

// Resamples one decoded audio frame onto the end of *out; false when the frame is unusable.
bool AppendAudio(MediaDecoder::State& s, const AVFrame* f, int rate, int channels,
                 std::vector<int16_t>* out) {
  if (f->sample_rate <= 0 || f->sample_rate > kMaxRate || f->ch_layout.nb_channels <= 0 ||
      f->ch_layout.nb_channels > kMaxChannels || f->nb_samples < 0)
    return false;
  AVChannelLayout in{};
  if (f->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
    av_channel_layout_default(&in, f->ch_layout.nb_channels);
  else if (av_channel_layout_copy(&in, &f->ch_layout) < 0)
    return false;
  if (!s.swr || s.swrRate != f->sample_rate || s.swrFormat != f->format ||
      av_channel_layout_compare(&s.swrLayout, &in) != 0) {
    swr_free(&s.swr);
    AVChannelLayout outLayout{};
    av_channel_layout_default(&outLayout, channels);
    int r = swr_alloc_set_opts2(&s.swr, &outLayout, AV_SAMPLE_FMT_S16, rate, &in,
                                static_cast<AVSampleFormat>(f->format), f->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&outLayout);
    // A mono piece plays at full level on both sides, as the mixer's own music does (the
    // library's default takes 3 dB off a centre channel spread over two).
    if (r >= 0 && in.nb_channels == 1) {
      const std::vector<double> unity(static_cast<size_t>(channels), 1.0);
      r = swr_set_matrix(s.swr, unity.data(), 1);
    }
    if (r < 0 || swr_init(s.swr) < 0) {
      swr_free(&s.swr);
      av_channel_layout_uninit(&in);
      return false;
    }
    s.swrRate = f->sample_rate;
    s.swrFormat = f->format;
    av_channel_layout_uninit(&s.swrLayout);
    s.swrLayout = in;
  } else {
    av_channel_layout_uninit(&in);
  }
  const int most = swr_get_out_samples(s.swr, f->nb_samples);
  if (most < 0) return false;
  const size_t old = out->size();
  out->resize(old + static_cast<size_t>(most) * channels);
  auto* dst = reinterpret_cast<uint8_t*>(out->data() + old);
  int n =
      swr_convert(s.swr, &dst, most, const_cast<const uint8_t**>(f->extended_data), f->nb_samples);
  if (n < 0) {
    out->resize(old);
    return false;
  }
  // Samples before a seek's target are dropped.
  int64_t time = f->best_effort_timestamp != AV_NOPTS_VALUE
                     ? s.Time(f->best_effort_timestamp, s.fmt->streams[s.audioIndex]->time_base)
                     : s.nextAudioTime;
  s.nextAudioTime = time + static_cast<int64_t>(n) * kTicksPerSecond / rate;
  int64_t skip = 0;
  if (time < s.dropBefore) skip = (s.dropBefore - time) * rate / kTicksPerSecond;
  skip = std::min<int64_t>(skip, n);
  out->erase(out->begin() + static_cast<ptrdiff_t>(old),
             out->begin() + static_cast<ptrdiff_t>(old + static_cast<size_t>(skip) * channels));
  out->resize(old + static_cast<size_t>(n - skip) * channels);
  return true;
}

bool AppendPicture(MediaDecoder::State& s, const AVFrame* f, std::vector<VideoFrame>* frames) {
  if (f->width <= 0 || f->height <= 0 || f->width > kMaxDimension || f->height > kMaxDimension)
    return false;
  const AVStream* stream = s.fmt->streams[s.videoIndex];
  // A picture without a time comes one picture after the one before it.
  int64_t time = f->best_effort_timestamp != AV_NOPTS_VALUE
                     ? s.Time(f->best_effort_timestamp, stream->time_base)
                     : s.nextVideoTime;
  const AVRational rate = stream->avg_frame_rate.num > 0 && stream->avg_frame_rate.den > 0
                              ? stream->avg_frame_rate
                              : AVRational{25, 1};
  s.nextVideoTime = time + av_rescale(kTicksPerSecond, rate.den, rate.num);
  if (time < s.dropBefore) return true;
  s.sws = sws_getCachedContext(s.sws, f->width, f->height, static_cast<AVPixelFormat>(f->format),
                               VideoFrame::kWidth, VideoFrame::kHeight, AV_PIX_FMT_RGB565,
                               SWS_BILINEAR, nullptr, nullptr, nullptr);
  if (!s.sws) return false;
  VideoFrame out;
  out.time = time;
  out.pixels.resize(static_cast<size_t>(VideoFrame::kWidth) * VideoFrame::kHeight);
  uint8_t* dst[4] = {reinterpret_cast<uint8_t*>(out.pixels.data()), nullptr, nullptr, nullptr};
  int stride[4] = {VideoFrame::kWidth * 2, 0, 0, 0};
  if (sws_scale(s.sws, f->data, f->linesize, 0, f->height, dst, stride) <= 0) return false;
  frames->push_back(std::move(out));
  return true;
}

}  // namespace

MediaDecoder::Step MediaDecoder::Decode(std::vector<int16_t>* audio,
                                        std::vector<VideoFrame>* frames) {
  if (!state_) {
    if (error_.empty()) error_ = "nothing open";
    return Step::kFailed;
  }
  State& s = *state_;
  const size_t audioBefore = audio->size(), framesBefore = frames->size();
  // Takes every frame a decoder has ready; false after too many damaged ones in a row.
  auto receive = [&](AVCodecContext* ctx) {
    for (;;) {
      int r = avcodec_receive_frame(ctx, s.frame);
      if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return true;
      bool ok = r >= 0 && (ctx == s.audio ? AppendAudio(s, s.frame, rate_, channels_, audio)
                                          : AppendPicture(s, s.frame, frames));
      if (r >= 0) av_frame_unref(s.frame);
      if (ok) {
        s.badInRow = 0;
      } else if (++s.badInRow > kMaxBadPacketsInRow) {
        error_ = "damaged data (" + (r < 0 ? AvError(r) : std::string("unusable frames")) + ")";
        return false;
      }
      if (r < 0) return true;
    }
  };
  if (interrupted_) {
    error_ = "stopped";
    return Step::kFailed;
  }
  if (!s.draining) {
    int r = av_read_frame(s.fmt, s.packet);
    if (r == AVERROR_EOF || (r < 0 && s.fmt->pb && avio_feof(s.fmt->pb))) {
      s.draining = true;
      if (s.audio) avcodec_send_packet(s.audio, nullptr);
      if (s.video) avcodec_send_packet(s.video, nullptr);
    } else if (r < 0) {
      error_ = interrupted_ ? "stopped" : "read error (" + AvError(r) + ")";
      return Step::kFailed;
    } else {
      AVCodecContext* ctx = s.packet->stream_index == s.audioIndex   ? s.audio
                            : s.packet->stream_index == s.videoIndex ? s.video
                                                                     : nullptr;
      if (ctx) {
        r = avcodec_send_packet(ctx, s.packet);
        if (r == AVERROR(EAGAIN)) {
          if (!receive(ctx)) {
            av_packet_unref(s.packet);
            return Step::kFailed;
          }
          r = avcodec_send_packet(ctx, s.packet);
        }
        if (r < 0 && ++s.badInRow > kMaxBadPacketsInRow) {
          av_packet_unref(s.packet);
          error_ = "damaged data (" + AvError(r) + ")";
          return Step::kFailed;
        }
      }
      av_packet_unref(s.packet);
      if (ctx && !receive(ctx)) return Step::kFailed;
    }
  }
  if (s.draining) {
    if ((s.audio && !receive(s.audio)) || (s.video && !receive(s.video))) return Step::kFailed;
  }
  if (audio->size() != audioBefore || frames->size() != framesBefore) {
    s.anyOutput = true;
    s.withoutOutput = 0;
  } else if (++s.withoutOutput > kMaxPacketsWithoutOutput) {
    error_ = "no audio or video in " + std::to_string(kMaxPacketsWithoutOutput) + " packets";
    return Step::kFailed;
  }
  if (!s.draining) return Step::kMore;
  if (!s.anyOutput && s.dropBefore == 0) {
    error_ = "no audio or video could be decoded";
    return Step::kFailed;
  }
  // A file that gives out long before the length it claims is damaged (garbled or cut short):
  // its playable start is not to be taken for the whole piece.
  const int64_t reached = std::max(s.audio ? s.nextAudioTime : 0, s.video ? s.nextVideoTime : 0);
  if (s.declared > kDamagedCheckFrom && reached < s.declared / 2) {
    char text[96];
    std::snprintf(text, sizeof text, "damaged data (it ends at %.1f s of %.1f s)",
                  static_cast<double>(reached) / kTicksPerSecond,
                  static_cast<double>(s.declared) / kTicksPerSecond);
    error_ = text;
    return Step::kFailed;
  }
  return Step::kEnd;
}

bool MediaDecoder::Seek(int64_t position) {
  if (!state_) return false;
  State& s = *state_;
  if (position < 0) position = 0;
  int64_t target = av_rescale(position, AV_TIME_BASE, kTicksPerSecond);
  if (s.fmt->start_time != AV_NOPTS_VALUE) target += s.fmt->start_time;
  int r = av_seek_frame(s.fmt, -1, target, AVSEEK_FLAG_BACKWARD);
  if (r < 0 && position == 0) r = av_seek_frame(s.fmt, -1, 0, AVSEEK_FLAG_BYTE);
  if (r < 0) return false;
  if (s.audio) avcodec_flush_buffers(s.audio);
  if (s.video) avcodec_flush_buffers(s.video);
  swr_free(&s.swr);  // rebuilt, without the previous position's leftovers, by the next frame
  s.dropBefore = position;
  s.nextAudioTime = position;
  s.nextVideoTime = position;
  s.draining = false;
  s.badInRow = 0;
  s.withoutOutput = 0;
  return true;
}

#else  // no FFmpeg in this build

struct MediaDecoder::State {};

bool MediaDecodingAvailable() { return false; }

MediaInfo ProbeMedia(const std::string&) {
  MediaInfo info;
  info.error = "built without FFmpeg";
  return info;
}

MediaDecoder::MediaDecoder() = default;
MediaDecoder::~MediaDecoder() = default;

bool MediaDecoder::Open(const std::string&, int, int, bool, bool) {
  error_ = "built without FFmpeg";
  return false;
}
bool MediaDecoder::HasAudio() const { return false; }
bool MediaDecoder::HasVideo() const { return false; }
MediaDecoder::Step MediaDecoder::Decode(std::vector<int16_t>*, std::vector<VideoFrame>*) {
  error_ = "built without FFmpeg";
  return Step::kFailed;
}
bool MediaDecoder::Seek(int64_t) { return false; }

#endif

}  // namespace isora

#include "lib/demo_audio.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "foundation/portable_math.h"
#include "lib/demo_raster.h"

namespace isora::demo {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kTailSamples = 420;  // 840 bytes of silence

double Wave(const std::string& kind, double phase, Rng& rng) {
  const double p = phase - std::floor(phase);
  if (kind == "square") return p < 0.5 ? 1.0 : -1.0;
  if (kind == "saw") return 2.0 * p - 1.0;
  if (kind == "triangle") return p < 0.5 ? 4.0 * p - 1.0 : 3.0 - 4.0 * p;
  if (kind == "noise") return rng.Uniform() * 2.0 - 1.0;
  return pmath::Sin(2 * kPi * p);
}

std::vector<int16_t> ToPcm(const std::vector<double>& mix, double peakTarget) {
  double peak = 0;
  for (double v : mix) peak = std::max(peak, std::abs(v));
  const double gain = peak > 0 ? peakTarget / peak : 0;
  std::vector<int16_t> out(mix.size());
  for (size_t i = 0; i < mix.size(); ++i)
    out[i] = static_cast<int16_t>(std::lround(std::clamp(mix[i] * gain, -1.0, 1.0) * 32767));
  return out;
}

}  // namespace

std::vector<int16_t> SynthesizeSound(const nlohmann::json& params) {
  double length = 0;
  for (const auto& l : params.value("layers", nlohmann::json::array()))
    length = std::max(length, l.value("start", 0.0) + l.value("duration", 0.2));
  length = std::clamp(length, 0.01, 10.0);
  std::vector<double> mix(static_cast<size_t>(length * kSampleRate) + 1, 0.0);
  Rng rng(HashSeed(params.value("name", "sound")));
  for (const auto& l : params.value("layers", nlohmann::json::array())) {
    const std::string wave = l.value("wave", "sine");
    const double start = l.value("start", 0.0), dur = std::max(0.001, l.value("duration", 0.2));
    const double f0 = l.value("from", 440.0), f1 = l.value("to", f0), vol = l.value("volume", 0.5);
    const double attack = std::max(0.0005, l.value("attack", 0.005)), curve = l.value("decay", 2.0);
    const double vibrato = l.value("vibrato", 0.0);
    double phase = 0;
    const size_t first = static_cast<size_t>(start * kSampleRate);
    const size_t count = static_cast<size_t>(dur * kSampleRate);
    for (size_t i = 0; i < count && first + i < mix.size(); ++i) {
      const double t = double(i) / kSampleRate, u = t / dur;
      const double freq = f0 * pmath::Pow(f1 / f0, u) * (1 + vibrato * pmath::Sin(2 * kPi * 6 * t));
      phase += freq / kSampleRate;
      const double env = std::min(1.0, t / attack) * pmath::Pow(1.0 - u, curve);
      mix[first + i] += Wave(wave, phase, rng) * env * vol;
    }
  }
  auto pcm = ToPcm(mix, params.value("peak", 0.8));
  pcm.insert(pcm.end(), kTailSamples, 0);
  return pcm;
}

double NoteFrequency(const std::string& name) {
  if (name.size() < 2) return 0;
  static const int kSemis[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  const char letter = name[0];
  if (letter < 'A' || letter > 'G') return 0;
  int semis = kSemis[letter - 'A'];
  size_t i = 1;
  if (name[i] == '#') {
    ++semis;
    ++i;
  } else if (name[i] == 'b') {
    --semis;
    ++i;
  }
  if (i >= name.size() || name[i] < '0' || name[i] > '8') return 0;
  const int octave = name[i] - '0';
  const int midi = (octave + 1) * 12 + semis;
  return 440.0 * pmath::Pow(2.0, (midi - 69) / 12.0);
}

std::vector<int16_t> SynthesizeMusic(const nlohmann::json& params) {
  const double tempo = std::clamp(params.value("tempo", 100.0), 30.0, 300.0);
  const double beat = 60.0 / tempo;
  const double beats = std::clamp(params.value("beats", 32.0), 1.0, 400.0);
  const size_t total = static_cast<size_t>(beats * beat * kSampleRate);
  std::vector<double> mix(total, 0.0);
  Rng rng(HashSeed(params.value("name", "music")));
  for (const auto& track : params.value("tracks", nlohmann::json::array())) {
    const std::string wave = track.value("wave", "triangle");
    const double vol = track.value("volume", 0.3), release = track.value("release", 0.9);
    // Notes repeat until the piece is full.
    std::vector<std::pair<double, double>> notes;  // frequency, beats
    std::istringstream in(track.value("notes", ""));
    std::string tok;
    while (in >> tok) {
      auto colon = tok.find(':');
      double len = colon == std::string::npos ? 1.0 : std::atof(tok.c_str() + colon + 1);
      if (len <= 0) continue;
      notes.push_back({NoteFrequency(tok.substr(0, colon)), len});
    }
    if (notes.empty()) continue;
    double at = 0;
    for (size_t n = 0; at < beats; n = (n + 1) % notes.size()) {
      const auto [freq, len] = notes[n];
      const size_t first = static_cast<size_t>(at * beat * kSampleRate);
      const size_t count = static_cast<size_t>(len * beat * release * kSampleRate);
      double phase = 0;
      for (size_t i = 0; freq > 0 && i < count && first + i < total; ++i) {
        const double t = double(i) / kSampleRate, u = double(i) / count;
        phase += freq / kSampleRate;
        const double env = std::min(1.0, t / 0.01) * (1.0 - u) * (1.0 - u * 0.3);
        mix[first + i] += Wave(wave, phase, rng) * env * vol;
      }
      at += len;
    }
  }
  return ToPcm(mix, params.value("peak", 0.6));
}

std::vector<uint8_t> SampleBytes(const std::vector<int16_t>& samples) {
  std::vector<uint8_t> out;
  out.reserve(samples.size() * 2);
  for (int16_t s : samples) {
    out.push_back(static_cast<uint8_t>(s & 0xFF));
    out.push_back(static_cast<uint8_t>((s >> 8) & 0xFF));
  }
  return out;
}

}  // namespace isora::demo

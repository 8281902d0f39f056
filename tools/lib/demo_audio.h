// Synthesizes the demo's sound effects and looping music from the parameters in
// content/demo/audio (sounds.json, music.json) as 16-bit mono PCM.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace isora::demo {

constexpr int kSampleRate = 22050;

// A sound: layers of waves ("sine", "square", "saw", "triangle", "noise") with a pitch glide
// and an attack-decay envelope. Silence is appended so that a game copying all but the last
// 800 bytes of the data still plays the whole sound.
std::vector<int16_t> SynthesizeSound(const nlohmann::json& params);

// A music piece: tracks of notes ("C4:1 E4:0.5 -:1 ...", beats at the piece's tempo) mixed
// and shaped so the end joins the start when the piece loops.
std::vector<int16_t> SynthesizeMusic(const nlohmann::json& params);

// Little-endian sample bytes for the WAV writer.
std::vector<uint8_t> SampleBytes(const std::vector<int16_t>& samples);

// Frequency of a note name such as "A4" or "F#3"; 0 for a rest or a bad name.
double NoteFrequency(const std::string& name);

}  // namespace isora::demo

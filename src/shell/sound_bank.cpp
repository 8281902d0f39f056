// Effect sounds on buffers of their own.
#include "shell/sound_bank.h"

namespace isora {

void SoundBank::Play(const std::string& path) {
  Entry* oldest = nullptr;
  int count = 0;
  for (Entry& e : entries_) {
    if (e.path != path) continue;
    if (!e.buffer->IsPlaying()) {
      e.buffer->Play(0);
      return;
    }
    if (!oldest) oldest = &e;
    ++count;
  }
  if (count >= kBuffersPerSound) {
    oldest->buffer->Play(0);
    // The restarted one is now the newest.
    Entry moved = std::move(*oldest);
    entries_.erase(entries_.begin() + (oldest - entries_.data()));
    entries_.push_back(std::move(moved));
    return;
  }
  auto buffer = std::make_unique<SoundBuffer>();
  if (!buffer->Load(path)) return;
  buffer->Play(0);
  entries_.push_back(Entry{path, std::move(buffer)});
}

void SoundBank::StopAll() {
  for (Entry& e : entries_) e.buffer->Stop();
}

int SoundBank::Playing() const {
  int n = 0;
  for (const Entry& e : entries_) n += e.buffer->IsPlaying() ? 1 : 0;
  return n;
}

}  // namespace isora

// A SystemHooks that records message boxes and debug output instead of showing them. It
// installs itself for its lifetime.
#pragma once

#include <string>
#include <vector>

#include "foundation/system_hooks.h"

namespace isora::test {

struct RecordedMessageBox {
  std::string text;
  std::string caption;
  MessageBoxIcon icon;
};

class RecordingHooks : public SystemHooks {
 public:
  RecordingHooks() : previous_(Hooks::Set(this)) {}
  ~RecordingHooks() override { Hooks::Set(previous_); }
  RecordingHooks(const RecordingHooks&) = delete;
  RecordingHooks& operator=(const RecordingHooks&) = delete;

  void MessageBox(const std::string& text, const std::string& caption,
                  MessageBoxIcon icon) override {
    messageBoxes.push_back({text, caption, icon});
  }
  void DebugOutput(const std::string& text) override { debugOutput.push_back(text); }

  void Reset() {
    messageBoxes.clear();
    debugOutput.clear();
  }

  std::vector<RecordedMessageBox> messageBoxes;
  std::vector<std::string> debugOutput;

 private:
  SystemHooks* previous_;
};

}  // namespace isora::test

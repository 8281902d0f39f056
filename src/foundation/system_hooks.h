// Message boxes and debugger output. The foundation and the game call these; the media layer
// installs the platform's implementation, tests install a recorder.
#pragma once

#include <string>

namespace isora {

enum class MessageBoxIcon { None, Error, Warning, Information };

class SystemHooks {
 public:
  virtual ~SystemHooks() = default;
  // Shows a modal message box; text and caption are GBK bytes. An empty caption means the
  // system's default caption ("Error").
  virtual void MessageBox(const std::string& text, const std::string& caption,
                          MessageBoxIcon icon) = 0;
  // Debugger trace text (OutputDebugStringA's role); carries no behaviour.
  virtual void DebugOutput(const std::string& text) = 0;
  // Whether anything reads the trace text: callers may skip formatting what nobody sees.
  virtual bool DebugOutputWanted() const { return true; }
};

namespace Hooks {
// The installed hooks (never null: a default writes message boxes to stderr and drops traces).
SystemHooks& Get();
// Installs hooks (not owned); nullptr restores the default. Returns the previous ones.
SystemHooks* Set(SystemHooks* hooks);
inline void MessageBox(const std::string& text, const std::string& caption = {},
                       MessageBoxIcon icon = MessageBoxIcon::Error) {
  Get().MessageBox(text, caption, icon);
}
inline void DebugOutput(const std::string& text) { Get().DebugOutput(text); }
}  // namespace Hooks

}  // namespace isora

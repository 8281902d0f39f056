#include "foundation/system_hooks.h"

#include <cstdio>

namespace isora {
namespace {

class DefaultHooks : public SystemHooks {
 public:
  void MessageBox(const std::string& text, const std::string& caption, MessageBoxIcon) override {
    std::fprintf(stderr, "[%s] %s\n", caption.empty() ? "Error" : caption.c_str(), text.c_str());
  }
  void DebugOutput(const std::string&) override {}
};

DefaultHooks defaultHooks;
SystemHooks* current = &defaultHooks;

}  // namespace

namespace Hooks {
SystemHooks& Get() { return *current; }
SystemHooks* Set(SystemHooks* hooks) {
  SystemHooks* previous = current == &defaultHooks ? nullptr : current;
  current = hooks ? hooks : &defaultHooks;
  return previous;
}
}  // namespace Hooks

}  // namespace isora

// IniFile on arbitrary bytes: load, look up, edit, and look up again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first bytes choose the names used for lookups and edits; the rest is the document.
  size_t split = size > 0 ? data[0] % 16 : 0;
  if (split + 1 > size) split = size > 0 ? size - 1 : 0;
  std::string names(reinterpret_cast<const char*>(data) + (size > 0 ? 1 : 0), split);
  std::vector<uint8_t> text(data + (size > 0 ? 1 + split : 0), data + size);
  std::string section = names.substr(0, names.size() / 2);
  std::string key = names.substr(names.size() / 2);
  for (char& c : section)
    if (c == '\0') c = 'S';
  for (char& c : key)
    if (c == '\0') c = 'K';

  isora::IniFile ini;
  ini.LoadBytes(text);
  (void)ini.GetString(section, key);
  (void)ini.GetInt(section, key);
  (void)ini.GetString("Main", "x");
  ini.SetValue(section, key, "value");
  if (ini.GetString(section, key).empty() && !key.empty()) {
    // An edit that cannot be read back is only possible when the names hold bytes that end
    // a token or a header; anything else is a fault.
    bool odd = false;
    for (char c : section + key)
      odd = odd || c == '=' || c == ';' || c == '\r' || c == '\n' || c == ']' || c == '\t' ||
            c == '[';
    if (!odd && section.size() <= 250) __builtin_trap();
  }
  ini.AddSection(key);
  ini.SetValue("Main", "x", "1");
  (void)ini.GetInt("Main", "x");
  ini.Clear();
  return 0;
}

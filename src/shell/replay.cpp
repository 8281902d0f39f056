#include "shell/replay.h"

#include <cctype>
#include <sstream>

#include "foundation/byte_io.h"
#include "foundation/file_io.h"
#include "foundation/number_text.h"
#include "foundation/paths.h"
#include "media/platform.h"
#include "shell/state_query.h"

namespace isora {

namespace {

struct NamedKey {
  const char* name;
  int vk;
};

constexpr NamedKey kNamedKeys[] = {
    {"Esc", kVkEscape},     {"Space", kVkSpace}, {"Enter", kVkReturn},  {"Tab", kVkTab},
    {"Backspace", kVkBack}, {"Left", kVkLeft},   {"Right", kVkRight},   {"Up", kVkUp},
    {"Down", kVkDown},      {"Pause", kVkPause}, {"Delete", kVkDelete}, {"Insert", kVkInsert},
    {"Home", kVkHome},      {"End", kVkEnd},     {"PageUp", kVkPrior},  {"PageDown", kVkNext},
};

bool ParseInt(const std::string& s, int64_t* v) {
  const std::optional<int64_t> n = ParseNumber<int64_t>(s);
  if (n) *v = *n;
  return n.has_value();
}

// The rest of the line after the words read so far, without surrounding blanks.
std::string Rest(std::istringstream& words) {
  std::string rest;
  std::getline(words >> std::ws, rest);
  while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t')) rest.pop_back();
  return rest;
}

// "point role|cell|item ..." and "wait N condition": events named in world terms.
bool ParseWorldEvent(const std::string& verb, std::istringstream& words, ReplayEvent* ev,
                     std::string* error) {
  auto fail = [&](const std::string& why) { return *error = why, false; };
  std::string what;
  if (verb == "wait") {
    int64_t most = 0;
    StateCondition condition;
    std::string why;
    if (!(words >> what) || !ParseInt(what, &most) || most < 1 || most > 1000000)
      return fail("wait needs the most frames to wait (1 to 1000000), then a condition");
    ev->kind = ReplayEvent::Kind::kWait;
    ev->x = static_cast<int>(most);
    ev->name = Rest(words);
    if (!ParseStateCondition(ev->name, &condition, &why)) return fail("wait: " + why);
    return true;
  }
  if (!(words >> what)) return fail("point needs role NAME, cell ROW COL or item NAME");
  if (what == "cell") {
    std::string rs, cs, extra;
    int64_t r = 0, c = 0;
    if (!(words >> rs >> cs) || !ParseInt(rs, &r) || !ParseInt(cs, &c) || r < 0 || c < 0 ||
        r > 255 || c > 255 || (words >> extra))
      return fail("point cell needs a row and a column from 0 to 255");
    ev->kind = ReplayEvent::Kind::kPointCell;
    ev->x = static_cast<int>(r);
    ev->y = static_cast<int>(c);
    return true;
  }
  if (what != "role" && what != "item") return fail("unknown point target " + what);
  ev->kind = what == "role" ? ReplayEvent::Kind::kPointRole : ReplayEvent::Kind::kPointItem;
  ev->name = Rest(words);
  if (ev->name.empty()) return fail("point " + what + " needs a name");
  return true;
}

}  // namespace

int VirtualKeyFromName(const std::string& fullName, bool* shift) {
  std::string name = fullName;
  *shift = false;
  if (name.rfind("Shift+", 0) == 0) {
    *shift = true;
    name = name.substr(6);
  }
  if (name.size() == 1) {
    char c = name[0];
    if (c >= '0' && c <= '9') return kVk0 + (c - '0');
    if (c >= 'A' && c <= 'Z') return kVkA + (c - 'A');
    if (c >= 'a' && c <= 'z') return kVkA + (c - 'a');
  }
  if (name.size() >= 2 && name.size() <= 3 && name[0] == 'F') {
    int64_t n = 0;
    if (ParseInt(name.substr(1), &n) && n >= 1 && n <= 12) return kVkF1 + static_cast<int>(n) - 1;
  }
  for (const NamedKey& k : kNamedKeys) {
    if (name == k.name) return k.vk;
  }
  // Any other key as the recorder writes it: "VK" and two hex digits.
  if (name.size() == 4 && name.compare(0, 2, "VK") == 0 && std::isxdigit(name[2]) &&
      std::isxdigit(name[3])) {
    const int vk = ParseNumber<int>(std::string_view(name).substr(2), 16).value_or(0);
    if (vk > 0) return vk;
  }
  return 0;
}

std::string KeyName(int vk, bool shift) {
  std::string prefix = shift ? "Shift+" : "";
  if (vk >= kVk0 && vk <= kVk0 + 9) return prefix + static_cast<char>('0' + vk - kVk0);
  if (vk >= kVkA && vk <= kVkA + 25) return prefix + static_cast<char>('A' + vk - kVkA);
  if (vk >= kVkF1 && vk <= kVkF12) return prefix + "F" + std::to_string(vk - kVkF1 + 1);
  for (const NamedKey& k : kNamedKeys) {
    if (vk == k.vk) return prefix + k.name;
  }
  char buf[16];
  snprintf(buf, sizeof buf, "VK%02X", vk);
  return prefix + buf;
}

bool ParseReplay(const std::string& text, std::vector<ReplayEvent>* events, std::string* error) {
  // Lines are taken from the text in place, not through a stream holding a second copy.
  size_t eventLines = 0;
  for (size_t at = 0; at < text.size();) {
    at = text.find_first_not_of(" \t\r\v\f", at);
    if (at == std::string::npos) break;
    eventLines += text[at] == '@';
    at = text.find('\n', at);
    if (at != std::string::npos) ++at;
  }
  events->reserve(events->size() + eventLines);
  std::string raw;
  size_t next = 0;
  auto getline = [&] {
    if (next >= text.size()) return false;
    size_t end = text.find('\n', next);
    if (end == std::string::npos) end = text.size();
    raw.assign(text, next, end - next);
    next = end + 1;
    return true;
  };
  int lineNo = 0;
  int64_t lastFrame = 0;
  auto fail = [&](const std::string& why) {
    if (error) *error = "line " + std::to_string(lineNo) + ": " + why;
    return false;
  };
  while (getline()) {
    ++lineNo;
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    std::istringstream words(raw);
    std::string at;
    if (!(words >> at) || at[0] == '#') continue;
    ReplayEvent ev;
    ev.line = lineNo;
    if (at[0] != '@' || !ParseInt(at.substr(1), &ev.frame) || ev.frame < 0) {
      return fail("expected @<frame>");
    }
    if (ev.frame < lastFrame) return fail("frame goes backwards");
    lastFrame = ev.frame;
    std::string verb;
    if (!(words >> verb)) return fail("missing event");
    if (verb == "move") {
      std::string xs, ys;
      int64_t x = 0, y = 0;
      if (!(words >> xs >> ys) || !ParseInt(xs, &x) || !ParseInt(ys, &y)) {
        return fail("move needs <x> <y>");
      }
      ev.kind = ReplayEvent::Kind::kMove;
      ev.x = static_cast<int>(x);
      ev.y = static_cast<int>(y);
    } else if (verb == "ldown") {
      ev.kind = ReplayEvent::Kind::kLDown;
    } else if (verb == "lup") {
      ev.kind = ReplayEvent::Kind::kLUp;
    } else if (verb == "rdown") {
      ev.kind = ReplayEvent::Kind::kRDown;
    } else if (verb == "rup") {
      ev.kind = ReplayEvent::Kind::kRUp;
    } else if (verb == "key") {
      std::string name;
      if (!(words >> name)) return fail("key needs a name");
      ev.kind = ReplayEvent::Kind::kKey;
      ev.virtualKey = VirtualKeyFromName(name, &ev.shift);
      if (ev.virtualKey == 0) return fail("unknown key " + name);
    } else if (verb == "shot" || verb == "state") {
      if (!(words >> ev.path)) return fail(verb + " needs a path");
      // A replay may come from anyone: what it writes stays inside the run's output folder.
      if (const PathEscape e = CheckInsidePath(ev.path); e != PathEscape::kNone)
        return fail(verb + " path " + ev.path + " " + PathEscapeText(e) +
                    "; it must stay inside the output folder");
      ev.kind = verb == "shot" ? ReplayEvent::Kind::kShot : ReplayEvent::Kind::kState;
    } else if (verb == "pad") {
      std::string what, name;
      if (!(words >> what >> name)) return fail("pad needs down|up|axis|plug|unplug and more");
      if (what == "down" || what == "up") {
        if (!PadButtonFromName(name, &ev.padButton)) return fail("unknown pad button " + name);
        ev.kind = what == "down" ? ReplayEvent::Kind::kPadDown : ReplayEvent::Kind::kPadUp;
      } else if (what == "axis") {
        std::string vs;
        int64_t v = 0;
        if (!PadAxisFromName(name, &ev.padAxis)) return fail("unknown pad axis " + name);
        if (!(words >> vs) || !ParseInt(vs, &v) || v < -32768 || v > 32767)
          return fail("pad axis needs a value from -32768 to 32767");
        ev.kind = ReplayEvent::Kind::kPadAxis;
        ev.x = static_cast<int>(v);
      } else if (what == "plug" || what == "unplug") {
        int64_t n = 0;
        if (!ParseInt(name, &n) || n < 0 || n > 64) return fail("pad " + what + " needs a count");
        ev.kind = what == "plug" ? ReplayEvent::Kind::kPadPlug : ReplayEvent::Kind::kPadUnplug;
        ev.x = static_cast<int>(n);
      } else {
        return fail("unknown pad event " + what);
      }
    } else if (verb == "point" || verb == "wait") {
      std::string why;
      if (!ParseWorldEvent(verb, words, &ev, &why)) return fail(why);
      events->push_back(ev);
      continue;
    } else if (verb == "quit") {
      ev.kind = ReplayEvent::Kind::kQuit;
    } else {
      return fail("unknown event " + verb);
    }
    std::string extra;
    if (words >> extra) return fail("unexpected " + extra);
    events->push_back(ev);
  }
  return true;
}

std::vector<uint8_t> SurfaceToBmp24(const Surface& s) {
  const int w = s.Width(), h = s.Height();
  const int rowBytes = (w * 3 + 3) & ~3;
  const uint32_t imageBytes = static_cast<uint32_t>(rowBytes) * static_cast<uint32_t>(h);
  ByteWriter out;
  out.U8('B');
  out.U8('M');
  out.U32(54 + imageBytes);
  out.U32(0);
  out.U32(54);
  out.U32(40);
  out.I32(w);
  out.I32(h);
  out.U16(1);
  out.U16(24);
  out.U32(0);
  out.U32(imageBytes);
  out.U32(2835);
  out.U32(2835);
  out.U32(0);
  out.U32(0);
  for (int y = h - 1; y >= 0; --y) {
    const uint16_t* row = s.Row(y);
    for (int x = 0; x < w; ++x) {
      Rgb8 c = UnpackPixel(s.Format(), row[x]);
      out.U8(c.b);
      out.U8(c.g);
      out.U8(c.r);
    }
    for (int p = w * 3; p < rowBytes; ++p) out.U8(0);
  }
  return out.Take();
}

bool ReplayRecorder::Open(const std::string& path) {
  path_ = path;
  open_ = AppendToFile(path_, "# isora replay\n", true);
  return open_;
}

void ReplayRecorder::Append(const std::string& line) {
  if (open_) open_ = AppendToFile(path_, line, false);
}

void ReplayRecorder::Line(int64_t frame, const std::string& text) {
  Append('@' + std::to_string(frame) + ' ' + text + '\n');
}

void ReplayRecorder::Move(int64_t frame, int x, int y) {
  if (Point{x, y} == last_) return;
  last_ = Point{x, y};
  Line(frame, "move " + std::to_string(x) + " " + std::to_string(y));
}

void ReplayRecorder::Button(int64_t frame, bool left, bool down) {
  Line(frame, std::string(left ? "l" : "r") + (down ? "down" : "up"));
}

void ReplayRecorder::Key(int64_t frame, int vk, bool shift) {
  Line(frame, "key " + KeyName(vk, shift));
}

void ReplayRecorder::PadButton(int64_t frame, int button, bool down) {
  if (button < 0 || button >= kPadButtonCount) return;
  Line(frame, std::string("pad ") + (down ? "down " : "up ") +
                  PadButtonName(static_cast<isora::PadButton>(button)));
}

void ReplayRecorder::PadAxis(int64_t frame, int axis, int value) {
  if (axis < 0 || axis >= kPadAxisCount) return;
  value = value < -32768 ? -32768 : value > 32767 ? 32767 : value;
  Line(frame, std::string("pad axis ") + PadAxisName(static_cast<isora::PadAxis>(axis)) + " " +
                  std::to_string(value));
}

void ReplayRecorder::PadConnected(int64_t frame, bool connected, int padsOpen) {
  Line(frame, std::string("pad ") + (connected ? "plug " : "unplug ") +
                  std::to_string(padsOpen < 0    ? 0
                                 : padsOpen > 64 ? 64
                                                 : padsOpen));
}

void ReplayRecorder::Shot(int64_t frame, const std::string& path) { Line(frame, "shot " + path); }

void ReplayRecorder::State(int64_t frame, const std::string& path) { Line(frame, "state " + path); }

void ReplayRecorder::Comment(const std::string& text) {
  std::string line = "# " + text;
  for (char& c : line) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  Append(line + '\n');
}

void ReplayRecorder::Quit(int64_t frame) { Line(frame, "quit"); }

}  // namespace isora

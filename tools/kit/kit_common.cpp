#include <cstdio>

#include "foundation/file_io.h"
#include "foundation/game_log.h"
#include "foundation/gbk.h"
#include "foundation/package_file.h"
#include "foundation/system_hooks.h"
#include "kit/kit.h"

namespace isora::kit {

namespace {
std::vector<Command>& Table() {
  static std::vector<Command> table;
  return table;
}
}  // namespace

bool Register(const char* name, const char* summary, CommandFn run) {
  Table().push_back({name, summary, run});
  return true;
}

const std::vector<Command>& Commands() { return Table(); }

bool WantsHelp(const std::vector<std::string>& args) {
  for (const auto& a : args)
    if (a == "--help" || a == "-h") return true;
  return false;
}

int RunSubcommand(const char* word, const char* usage, const std::vector<std::string>& args,
                  std::initializer_list<Subcommand> table) {
  if (args.empty() || WantsHelp(args)) {
    std::fputs(usage, args.empty() ? stderr : stdout);
    return args.empty() ? 2 : 0;
  }
  std::string known;
  for (const Subcommand& s : table) {
    if (args[0] == s.name) return s.run(args);
    known += known.empty() ? s.name : std::string(", ") + s.name;
  }
  return Fail("unknown " + std::string(word) + " command '" + args[0] + "' (" + known + ")");
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "isora-kit: %s\n", message.c_str());
  return 1;
}

std::optional<std::vector<uint8_t>> ReadInput(const std::string& input, std::string* error) {
  size_t sep = input.find("::");
  if (sep == std::string::npos) {
    auto bytes = ReadFileBytes(input);
    if (!bytes) *error = "cannot read " + input;
    return bytes;
  }
  std::string pkg = input.substr(0, sep), member = input.substr(sep + 2);
  PackageFile file;
  if (!file.Open(pkg)) {
    *error = "cannot open package " + pkg;
    return std::nullopt;
  }
  std::string gbkMember = MemberPathFromUser(member);
  if (!file.Find(gbkMember)) {
    *error = "no member " + member + " in " + pkg;
    return std::nullopt;
  }
  auto out = file.ReadAll();
  if (!out) *error = "member " + member + " in " + pkg + " is damaged";
  return out;
}

std::string MemberPathFromUser(const std::string& path) {
  for (unsigned char c : path)
    if (c >= 0x80) return Utf8ToGbk(path);
  return path;
}

namespace {
class ConsoleHooks : public SystemHooks {
 public:
  void MessageBox(const std::string& text, const std::string& caption, MessageBoxIcon) override {
    std::fprintf(stderr, "isora-kit: [%s] %s\n",
                 caption.empty() ? "Error" : GbkToUtf8(caption).c_str(), GbkToUtf8(text).c_str());
  }
  void DebugOutput(const std::string&) override {}
};
}  // namespace

void InstallConsoleReporting() {
  static ConsoleHooks hooks;
  Hooks::Set(&hooks);
}

LogToStderr::LogToStderr() {
  GameLog::Redirect([](const std::string& message) {
    std::string text = GbkToUtf8(message);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    std::fprintf(stderr, "isora-kit: log: %s\n", text.c_str());
  });
}

LogToStderr::~LogToStderr() { GameLog::Redirect(nullptr); }

bool WriteOutput(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error) {
  if (!WriteFileAtomic(path, bytes)) {
    *error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace isora::kit

#include <cstdio>

#include "foundation/file_io.h"
#include "foundation/package_file.h"
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

int Fail(const std::string& message) {
  std::fprintf(stderr, "isora-kit: %s\n", message.c_str());
  return 1;
}

std::optional<std::vector<uint8_t>> ReadInput(const std::string& spec, std::string* error) {
  size_t sep = spec.find("::");
  if (sep == std::string::npos) {
    auto bytes = ReadFileBytes(spec);
    if (!bytes) *error = "cannot read " + spec;
    return bytes;
  }
  std::string pkg = spec.substr(0, sep), member = spec.substr(sep + 2);
  PackageFile file;
  if (!file.Open(pkg)) {
    *error = "cannot open package " + pkg;
    return std::nullopt;
  }
  std::vector<uint8_t> out;
  if (!file.ReadMember(member, out)) {
    *error = "no member " + member + " in " + pkg;
    return std::nullopt;
  }
  return out;
}

bool WriteOutput(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error) {
  if (!WriteFileAtomic(path, bytes)) {
    *error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace isora::kit

// isora-kit pack / unpack / ls / cat: making and inspecting resource packages.
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <system_error>
#include <vector>

#include "foundation/file_io.h"
#include "foundation/gbk.h"
#include "foundation/package_file.h"
#include "kit/kit.h"
#include "lib/package_writer.h"

namespace isora::kit {
namespace {

namespace fs = std::filesystem;

const char kPackUsage[] =
    "usage: isora-kit pack DIR OUT [--store]\n"
    "\n"
    "Packs every file and folder under DIR into the package OUT. Members are compressed in\n"
    "0xC000-byte chunks unless --store is given; a member that would not shrink is stored plain.\n"
    "File names are written as GBK, the game's encoding.\n";

const char kUnpackUsage[] =
    "usage: isora-kit unpack PKG DIR\n"
    "\n"
    "Writes every member of PKG under DIR (created when missing), names converted from GBK to\n"
    "UTF-8. A package whose member paths would leave DIR is refused before anything is written.\n";

const char kLsUsage[] =
    "usage: isora-kit ls PKG [--json]\n"
    "\n"
    "Lists every entry of PKG, one a line: kind (dir or file), stored size, unpacked size, 'z'\n"
    "for a compressed member or '-', and the full path with backslashes. --json prints an array\n"
    "of {path, kind, stored, unpacked, compressed} objects instead.\n";

const char kCatUsage[] =
    "usage: isora-kit cat PKG MEMBER\n"
    "\n"
    "Writes the unpacked bytes of MEMBER (a path with backslashes, as the game looks it up, for\n"
    "example data\\\\items.itm) to standard output.\n";

// Splits args into positional words and options; false on an option not in `known`.
bool SplitArgs(const std::vector<std::string>& args, const std::vector<std::string>& known,
               std::vector<std::string>* words, std::vector<std::string>* options,
               std::string* bad) {
  for (const auto& a : args) {
    if (a.size() > 1 && a[0] == '-') {
      bool ok = false;
      for (const auto& k : known) ok = ok || a == k;
      if (!ok) {
        *bad = a;
        return false;
      }
      options->push_back(a);
    } else {
      words->push_back(a);
    }
  }
  return true;
}

bool Has(const std::vector<std::string>& options, const char* name) {
  for (const auto& o : options)
    if (o == name) return true;
  return false;
}

// The member path relative to the root: "root\\data\\x" -> "data\\x".
std::string MemberPath(const PackageNode& node) {
  const std::string full = node.FullPath();
  return full.size() > 5 ? full.substr(5) : std::string();
}

// Every node below the root, depth-first in key order.
void Collect(const PackageNode& node, std::vector<const PackageNode*>* out) {
  for (const auto& [key, child] : node.children) {
    out->push_back(child.get());
    if (child->entry.IsDirectory()) Collect(*child, out);
  }
}

bool OpenPackage(const std::string& path, PackageFile* file) {
  if (!fs::is_regular_file(path)) {
    Fail("cannot open package " + path);
    return false;
  }
  return file->Open(path);
}

int RunPack(const std::vector<std::string>& args) {
  if (WantsHelp(args)) return std::printf("%s", kPackUsage), 0;
  std::vector<std::string> words, options;
  std::string bad;
  if (!SplitArgs(args, {"--store"}, &words, &options, &bad)) return Fail("unknown option " + bad);
  if (words.size() != 2) return Fail("pack takes DIR and OUT (see --help)");
  LogToStderr log;
  std::string error;
  auto bytes = PackDirectory(words[0], !Has(options, "--store"), &error);
  if (!bytes) return Fail(error);
  if (!WriteOutput(words[1], *bytes, &error)) return Fail(error);
  return 0;
}

int RunUnpack(const std::vector<std::string>& args) {
  if (WantsHelp(args)) return std::printf("%s", kUnpackUsage), 0;
  std::vector<std::string> words, options;
  std::string bad;
  if (!SplitArgs(args, {}, &words, &options, &bad)) return Fail("unknown option " + bad);
  if (words.size() != 2) return Fail("unpack takes PKG and DIR (see --help)");
  LogToStderr log;
  PackageFile file;
  if (!OpenPackage(words[0], &file)) return 1;
  std::vector<const PackageNode*> nodes;
  Collect(*file.Root(), &nodes);

  // Every path is checked before anything is written: names become single path components.
  struct Target {
    const PackageNode* node;
    fs::path relative;
  };
  std::vector<Target> targets;
  for (const PackageNode* node : nodes) {
    fs::path relative;
    std::string member = MemberPath(*node);
    size_t start = 0;
    for (;;) {
      size_t end = member.find('\\', start);
      std::string name =
          GbkToUtf8(member.substr(start, end == std::string::npos ? end : end - start));
      if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
        return Fail("member path '" + GbkToUtf8(member) + "' would leave " + words[1]);
      relative /= name;
      if (end == std::string::npos) break;
      start = end + 1;
    }
    targets.push_back({node, relative});
  }

  std::error_code ec;
  fs::path root = words[1];
  fs::create_directories(root, ec);
  if (ec || !fs::is_directory(root)) return Fail("cannot create " + words[1]);
  fs::path canonicalRoot = fs::canonical(root, ec);
  for (const Target& t : targets) {
    fs::path out = root / t.relative;
    fs::path dir = t.node->entry.IsDirectory() ? out : out.parent_path();
    fs::create_directories(dir, ec);
    // A link already inside DIR must not carry the files elsewhere.
    fs::path real = fs::canonical(dir, ec);
    auto rel = real.lexically_relative(canonicalRoot);
    if (ec || rel.empty() || *rel.begin() == "..")
      return Fail("cannot write '" + out.string() + "' inside " + words[1]);
    if (t.node->entry.IsDirectory()) continue;
    auto bytes = file.ReadMember(MemberPath(*t.node));
    if (!bytes) return Fail("member '" + GbkToUtf8(MemberPath(*t.node)) + "' is damaged");
    std::string error;
    if (!WriteOutput(out.string(), *bytes, &error)) return Fail(error);
  }
  return 0;
}

int RunLs(const std::vector<std::string>& args) {
  if (WantsHelp(args)) return std::printf("%s", kLsUsage), 0;
  std::vector<std::string> words, options;
  std::string bad;
  if (!SplitArgs(args, {"--json"}, &words, &options, &bad)) return Fail("unknown option " + bad);
  if (words.size() != 1) return Fail("ls takes PKG (see --help)");
  LogToStderr log;
  PackageFile file;
  if (!OpenPackage(words[0], &file)) return 1;
  std::vector<const PackageNode*> nodes;
  Collect(*file.Root(), &nodes);
  if (Has(options, "--json")) {
    nlohmann::json list = nlohmann::json::array();
    for (const PackageNode* n : nodes) {
      bool dir = n->entry.IsDirectory();
      list.push_back({{"path", GbkToUtf8(MemberPath(*n))},
                      {"kind", dir ? "dir" : "file"},
                      {"stored", dir ? 0 : n->entry.storedSize},
                      {"unpacked", dir ? 0 : n->entry.unpackedSize},
                      {"compressed", !dir && n->entry.compressed != 0}});
    }
    std::printf("%s\n", list.dump(2).c_str());
    return 0;
  }
  for (const PackageNode* n : nodes) {
    std::string path = GbkToUtf8(MemberPath(*n));
    if (n->entry.IsDirectory()) {
      std::printf("dir  %10s %10s -  %s\n", "-", "-", path.c_str());
    } else {
      std::printf("file %10u %10u %c  %s\n", n->entry.storedSize, n->entry.unpackedSize,
                  n->entry.compressed ? 'z' : '-', path.c_str());
    }
  }
  return 0;
}

int RunCat(const std::vector<std::string>& args) {
  if (WantsHelp(args)) return std::printf("%s", kCatUsage), 0;
  std::vector<std::string> words, options;
  std::string bad;
  if (!SplitArgs(args, {}, &words, &options, &bad)) return Fail("unknown option " + bad);
  if (words.size() != 2) return Fail("cat takes PKG and MEMBER (see --help)");
  LogToStderr log;
  PackageFile file;
  if (!OpenPackage(words[0], &file)) return 1;
  std::string member = MemberPathFromUser(words[1]);
  if (!file.Find(member) || file.Current()->entry.IsDirectory())
    return Fail("no member " + words[1] + " in " + words[0]);
  auto bytes = file.ReadMember(member);
  if (!bytes) return Fail("member " + words[1] + " is damaged");
  if (!bytes->empty() && std::fwrite(bytes->data(), 1, bytes->size(), stdout) != bytes->size())
    return Fail("cannot write to standard output");
  return std::fflush(stdout) == 0 ? 0 : Fail("cannot write to standard output");
}

}  // namespace

ISORA_KIT_COMMAND("pack", "make a resource package from a folder", RunPack);
ISORA_KIT_COMMAND("unpack", "write a package's members into a folder", RunUnpack);
ISORA_KIT_COMMAND("ls", "list a package's directories and members", RunLs);
ISORA_KIT_COMMAND("cat", "write one package member to standard output", RunCat);

}  // namespace isora::kit

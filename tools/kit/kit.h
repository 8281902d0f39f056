// isora-kit: the content toolkit. Each command file registers its top-level word here.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace isora::kit {

// Runs a command; args are the words after the command word. Returns the exit status.
using CommandFn = int (*)(const std::vector<std::string>& args);

struct Command {
  std::string name;
  std::string summary;
  CommandFn run;
};

bool Register(const char* name, const char* summary, CommandFn run);
const std::vector<Command>& Commands();

struct Subcommand {
  const char* name;
  CommandFn run;  // receives all args, the subcommand word first
};

// Runs the subcommand named by args[0] from the table. No words prints the usage to stderr and
// returns 2; --help prints it to stdout; an unknown word fails naming the known ones.
int RunSubcommand(const char* word, const char* usage, const std::vector<std::string>& args,
                  std::initializer_list<Subcommand> table);

// `map import-tiled FILE.tmj OUT.map` (args without the subcommand word).
int RunImportTiled(const std::vector<std::string>& args);

// Checks (unless check is false) and builds the game source into out, removing stale files;
// what names the game in messages ("game", "demo"). Returns the exit status.
int BuildGame(const std::string& source, const std::string& out, bool compress, bool check,
              const char* what);

// True when args ask for help ("--help" or "-h" anywhere).
bool WantsHelp(const std::vector<std::string>& args);

// Prints "isora-kit: <message>" to stderr and returns 1 (for `return Fail(...)`).
int Fail(const std::string& message);

// Reads "FILE" (a plain file) or "PKG::MEMBER" (a package member, member path with "\").
// On failure returns nothing and sets *error.
std::optional<std::vector<uint8_t>> ReadInput(const std::string& input, std::string* error);

// A member path typed by the user (UTF-8) as the package holds it (GBK); ASCII is unchanged.
std::string MemberPathFromUser(const std::string& path);

// Writes bytes to a file; false with *error set on failure.
bool WriteOutput(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error);

// Sends message boxes to stderr as UTF-8 (installed by main for every command).
void InstallConsoleReporting();

// For its lifetime, GameEngine.log entries go to stderr as UTF-8 instead of into a log file, so
// a command reports what the game's loaders say and leaves no file behind.
class LogToStderr {
 public:
  LogToStderr();
  ~LogToStderr();
  LogToStderr(const LogToStderr&) = delete;
  LogToStderr& operator=(const LogToStderr&) = delete;
};

}  // namespace isora::kit

// Registers a command at start-up: ISORA_KIT_COMMAND("pack", "make a package", RunPack);
#define ISORA_KIT_COMMAND(name, summary, fn) \
  static const bool kKitRegistered_##fn = ::isora::kit::Register(name, summary, fn)

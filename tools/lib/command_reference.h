// The script command reference: every command of the engine's command table with its
// arguments, what kind each is and what the command does. The table gives the names, the order
// and the argument kinds; the words are kept here, beside the generator, and a test fails when
// the two disagree, so docs/script-commands.md cannot go stale.
#pragma once

#include <string>
#include <vector>

namespace isora::demo {

struct CommandDoc {
  const char* name;
  const char* arguments;  // argument names, comma separated, one per kind letter
  const char* text;       // what the command does
};

// The descriptions, one per command of the table.
const std::vector<CommandDoc>& CommandDocs();

// Commands of the table without a description and descriptions of no command or with a wrong
// argument count, one message each; empty when they agree.
std::vector<std::string> CommandDocProblems();

// The reference as Markdown (docs/script-commands.md).
std::string CommandReferenceMarkdown();

}  // namespace isora::demo

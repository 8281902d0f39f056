// The shape of a script before it runs: the text cut into stored command lines, a line cut into
// its command name and argument texts, and the if/else/endif block table.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace isora {

constexpr int kMaxScriptLines = 150;
// The longest source line, counted before its leading blanks are removed.
constexpr size_t kMaxLineChars = 248;
constexpr int kMaxArguments = 29;
constexpr size_t kMaxArgumentChars = 199;
// Depth of each of the block builder's three stacks.
constexpr int kBlockStackDepth = 255;

// One source piece that yields a stored line.
struct SourceLine {
  std::string text;      // leading blanks removed, "\n" appended
  int fileLine = 0;      // 1-based line in the file, counting CR LF, CR or LF as one break
  size_t rawLength = 0;  // length before the blanks were removed
  bool tooLong = false;  // rawLength above kMaxLineChars: the game refuses the script
};

// Cuts a script text into the lines the game stores, in order. Pieces end at a carriage return
// and the next piece starts two bytes later (CR LF line ends); blank and "//" comment pieces
// give no line. The text ends at its first zero byte. Every stored piece is returned, including
// those past the store's capacity and over-long ones, so that callers can report them.
std::vector<SourceLine> SplitScriptText(std::string_view text);

enum class LineSplitError { kNone, kNoClosingParen, kTooManyArguments };

struct SplitCommand {
  std::string name;
  std::vector<std::string> arguments;  // argument 1 first
  LineSplitError error = LineSplitError::kNone;
  bool cut = false;  // a text was longer than an argument slot and was cut
};

// Splits a stored line: the name before the first "(", then arguments ended by each "," and,
// after the last ",", by the first ")". Texts are kept exactly, blanks included.
SplitCommand SplitCommandLine(std::string_view line);

struct BlockRecord {
  int32_t ifLine = 0;
  int32_t elseLine = -1;
  int32_t endifLine = 0;
};

enum class BlockError { kNone, kStack, kPairs };

struct BlockTable {
  std::vector<BlockRecord> blocks;  // in the order their endif lines appear
  BlockError error = BlockError::kNone;
  int32_t errorLine = -1;          // the line where a stack error struck
  std::vector<int32_t> openLines;  // if/else lines still open when the scan ended
};

// Pairs if/else/endif lines, scanning until a bare "end" line.
BlockTable BuildBlockTable(const std::vector<std::string>& lines);

}  // namespace isora

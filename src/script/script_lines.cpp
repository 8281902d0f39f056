#include "script/script_lines.h"

#include <algorithm>

namespace isora {

namespace {

// Line numbers as an editor shows them, for messages aimed at content makers.
std::vector<size_t> LineStarts(std::string_view text) {
  std::vector<size_t> starts{0};
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      starts.push_back(i + 1);
    } else if (text[i] == '\n') {
      starts.push_back(i + 1);
    }
  }
  return starts;
}

int FileLineAt(const std::vector<size_t>& starts, size_t offset) {
  auto it = std::upper_bound(starts.begin(), starts.end(), offset);
  return static_cast<int>(it - starts.begin());
}

std::string CutArgument(std::string_view text, bool* cut) {
  if (text.size() > kMaxArgumentChars) {
    *cut = true;
    text = text.substr(0, kMaxArgumentChars);
  }
  return std::string(text);
}

}  // namespace

std::vector<SourceLine> SplitScriptText(std::string_view text) {
  size_t zero = text.find('\0');
  if (zero != std::string_view::npos) text = text.substr(0, zero);
  std::vector<size_t> starts = LineStarts(text);
  std::vector<SourceLine> lines;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t cr = text.find('\r', pos);
    bool last = cr == std::string_view::npos;
    std::string_view piece = text.substr(pos, last ? std::string_view::npos : cr - pos);
    if (!piece.empty()) {
      size_t first = piece.find_first_not_of(" \t");
      if (first != std::string_view::npos && piece.substr(first, 2) != "//") {
        SourceLine line;
        line.text = std::string(piece.substr(first)) + "\n";
        line.fileLine = FileLineAt(starts, pos + first);
        line.rawLength = piece.size();
        line.tooLong = piece.size() > kMaxLineChars;
        lines.push_back(std::move(line));
      }
    }
    if (last) break;
    pos = cr + 2;
  }
  return lines;
}

SplitCommand SplitCommandLine(std::string_view line) {
  SplitCommand out;
  size_t open = line.find('(');
  if (open == std::string_view::npos) {
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    out.name = CutArgument(line, &out.cut);
    return out;
  }
  out.name = CutArgument(line.substr(0, open), &out.cut);
  size_t from = open + 1;
  for (size_t comma = line.find(',', from); comma != std::string_view::npos;
       comma = line.find(',', from)) {
    if (static_cast<int>(out.arguments.size()) >= kMaxArguments) {
      out.error = LineSplitError::kTooManyArguments;
      return out;
    }
    out.arguments.push_back(CutArgument(line.substr(from, comma - from), &out.cut));
    from = comma + 1;
  }
  size_t close = line.find(')', from);
  if (close == std::string_view::npos) {
    out.error = LineSplitError::kNoClosingParen;
    return out;
  }
  if (static_cast<int>(out.arguments.size()) >= kMaxArguments) {
    out.error = LineSplitError::kTooManyArguments;
    return out;
  }
  out.arguments.push_back(CutArgument(line.substr(from, close - from), &out.cut));
  return out;
}

BlockTable BuildBlockTable(const std::vector<std::string>& lines) {
  BlockTable table;
  std::vector<int32_t> ifStack, elseStack, flagStack;
  int32_t elseFlag = 0;
  auto fail = [&](int32_t index) {
    table.error = BlockError::kStack;
    table.errorLine = index;
    return table;
  };
  for (int32_t i = 0; i < static_cast<int32_t>(lines.size()); ++i) {
    const std::string& line = lines[i];
    if (line.starts_with("if(")) {
      if (ifStack.size() >= kBlockStackDepth || flagStack.size() >= kBlockStackDepth)
        return fail(i);
      ifStack.push_back(i);
      flagStack.push_back(elseFlag);
      elseFlag = 0;
    } else if (line == "else\n") {
      if (elseStack.size() >= kBlockStackDepth) return fail(i);
      elseStack.push_back(i);
      elseFlag = 1;
    } else if (line == "endif\n") {
      if (ifStack.empty() || flagStack.empty() || (elseFlag && elseStack.empty())) return fail(i);
      BlockRecord record;
      record.ifLine = ifStack.back();
      ifStack.pop_back();
      if (elseFlag) {
        record.elseLine = elseStack.back();
        elseStack.pop_back();
      }
      elseFlag = flagStack.back();
      flagStack.pop_back();
      record.endifLine = i;
      table.blocks.push_back(record);
    } else if (line == "end" || line == "end\n" || line == "end\r\n") {
      break;
    }
  }
  if (!ifStack.empty() || !elseStack.empty()) {
    table.error = BlockError::kPairs;
    table.openLines = ifStack;
    table.openLines.insert(table.openLines.end(), elseStack.begin(), elseStack.end());
    std::sort(table.openLines.begin(), table.openLines.end());
  }
  return table;
}

}  // namespace isora

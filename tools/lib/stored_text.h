// Texts the kit's writers store in the game's files: GBK, in fixed fields that end at the first
// zero byte.
#pragma once

#include <string>

namespace isora {

// `utf8` converted to GBK into *gbk, and why it would be stored changed, or "" when it would
// not: a character GBK cannot hold becomes "?", and a zero character ends the text there. The
// field's length is each writer's own check.
std::string ToStoredText(const std::string& utf8, std::string* gbk);

}  // namespace isora

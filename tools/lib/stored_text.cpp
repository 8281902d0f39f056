#include "lib/stored_text.h"

#include "foundation/gbk.h"

namespace isora {

std::string ToStoredText(const std::string& utf8, std::string* gbk) {
  *gbk = Utf8ToGbk(utf8);
  if (GbkToUtf8(*gbk) != utf8) return "holds a character GBK cannot hold: " + utf8;
  if (gbk->find('\0') != std::string::npos) return "holds a zero character (\\u0000)";
  return {};
}

}  // namespace isora

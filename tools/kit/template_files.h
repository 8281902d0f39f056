// The new-game template (tools/template), compiled into the kit.
#pragma once

#include <string_view>
#include <vector>

namespace isora::kit {

struct TemplateFile {
  std::string_view path;  // relative, "/" separated
  std::string_view text;  // UTF-8
};

const std::vector<TemplateFile>& TemplateFiles();

}  // namespace isora::kit

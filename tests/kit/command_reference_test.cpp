// The script command reference in docs/ is what the generator makes from the engine's table,
// and every command of the table is described with the right number of arguments.
#include "lib/command_reference.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "demo/demo_paths.h"
#include "script/script_commands.h"
#include "support/temp_dir.h"

namespace isora {
namespace {

TEST(CommandReference, DescribesEveryCommandOfTheTableAndNoOther) {
  const std::vector<std::string> problems = demo::CommandDocProblems();
  for (const std::string& p : problems) ADD_FAILURE() << p;
  EXPECT_EQ(demo::CommandDocs().size(), CommandTable().size());
}

TEST(CommandReference, TheDocsFileIsTheGeneratedReference) {
  const std::filesystem::path docs = std::filesystem::path(demo_test::DemoSourceDir()) / ".." /
                                     ".." / "docs" / "script-commands.md";
  const std::string kept = test::ReadFile(docs.string());
  ASSERT_FALSE(kept.empty()) << docs;
  EXPECT_EQ(kept, demo::CommandReferenceMarkdown())
      << "regenerate it: isora-kit script commands > docs/script-commands.md";
}

TEST(CommandReference, ListsCommandsInTableOrderWithTheirArgumentKinds) {
  const std::string md = demo::CommandReferenceMarkdown();
  size_t last = 0;
  for (const CommandSpec& spec : CommandTable()) {
    const size_t at = md.find("| `" + std::string(spec.name) + "` |");
    ASSERT_NE(at, std::string::npos) << spec.name;
    EXPECT_GT(at, last) << spec.name;
    last = at;
  }
  EXPECT_NE(
      md.find("| `Ask` | speaker (text), text (text), portrait (text), variable (variable) |"),
      std::string::npos);
  EXPECT_NE(md.find("| `AddMission` | name (text), description (text), kind (number),"),
            std::string::npos);
}

}  // namespace
}  // namespace isora

// The walkthrough in docs/walkthrough.md, followed word for word: a new game extended by its
// files builds, checks clean and passes its own replay.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "demo/demo_paths.h"
#include "kit_runner.h"

namespace isora {
namespace {

using kit_test::RunKit;

struct Step {
  std::string kind;  // "file" or "replace"
  std::string path;
  std::vector<std::string> blocks;
};

// The "<!-- file: PATH -->" and "<!-- replace: PATH -->" notes and the fenced blocks after them.
std::vector<Step> ReadSteps(const std::string& doc) {
  std::vector<Step> steps;
  std::istringstream in(doc);
  std::string line;
  Step* open = nullptr;
  bool inBlock = false;
  std::string block;
  while (std::getline(in, line)) {
    if (inBlock) {
      if (line.rfind("```", 0) == 0) {
        inBlock = false;
        if (open) open->blocks.push_back(block);
        const size_t want = open && open->kind == "replace" ? 2 : 1;
        if (open && open->blocks.size() == want) open = nullptr;
      } else {
        block += line + "\n";
      }
      continue;
    }
    if (line.rfind("<!-- file: ", 0) == 0 || line.rfind("<!-- replace: ", 0) == 0) {
      const size_t colon = line.find(": ");
      Step s;
      s.kind = line.substr(5, colon - 5);
      s.path = line.substr(colon + 2, line.find(" -->") - colon - 2);
      steps.push_back(s);
      open = &steps.back();
    } else if (line.rfind("```", 0) == 0) {
      inBlock = true;
      block.clear();
    }
  }
  return steps;
}

TEST(Walkthrough, ANewGameExtendedByTheWalkthroughBuildsChecksAndPassesItsReplay) {
  kit_test::KitFolder dir;
  const std::string doc = test::ReadFile(
      (std::filesystem::path(demo_test::DemoSourceDir()) / ".." / ".." / "docs" / "walkthrough.md")
          .string());
  ASSERT_FALSE(doc.empty());
  const std::vector<Step> steps = ReadSteps(doc);
  ASSERT_GE(steps.size(), 6u);

  ASSERT_EQ(RunKit("new mygame").status, 0);
  for (const Step& s : steps) {
    const std::string path = "mygame/" + s.path;
    if (s.kind == "file") {
      ASSERT_EQ(s.blocks.size(), 1u) << s.path;
      test::WriteFile(path, s.blocks[0]);
    } else {
      ASSERT_EQ(s.blocks.size(), 2u) << s.path;
      kit_test::Edit(path, s.blocks[0], s.blocks[1]);
    }
  }

  kit_test::KitResult r = RunKit("check mygame");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out, "0 errors, 0 warnings\n");
  r = RunKit("build mygame mygame-built");
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_TRUE(std::filesystem::exists("mygame-built/map/cave.map"));
  r = RunKit("replay check mygame/tests/quest.replay --data mygame-built");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("8 expectations, 0 failed"), std::string::npos) << r.out;
  // The replay ran on a copy: the built game has no saves or dumps of it.
  EXPECT_TRUE(std::filesystem::is_empty("mygame-built/saves"));

  // The same replay fails, and says where, when the quest pays less.
  kit_test::Edit("mygame/scripts/hunter.gsp", "AddMoney(100)", "AddMoney(10)");
  ASSERT_EQ(RunKit("build mygame mygame-built").status, 0);
  r = RunKit("replay check mygame/tests/quest.replay --data mygame-built");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(
      r.out.find("quest.replay:" +
                 std::to_string(kit_test::LineOf("mygame/tests/quest.replay", "/player/money")) +
                 ": failed: expect done.json /player/money == 150: found 60"),
      std::string::npos)
      << r.out;
}

}  // namespace
}  // namespace isora

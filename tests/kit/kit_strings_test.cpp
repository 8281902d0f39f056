// isora-kit strings: the engine's own texts listed for a translation, and a strings.ini checked.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "demo/demo_paths.h"
#include "foundation/game_texts.h"
#include "foundation/gbk.h"
#include "kit_runner.h"
#include "support/temp_dir.h"

namespace isora {
namespace {

using kit_test::KitFolder;
using kit_test::RunKit;

TEST(KitStrings, ListsEveryTextAsAStringsFileAndAsJson) {
  KitFolder folder;
  const kit_test::KitResult help = RunKit("strings --help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("usage: isora-kit strings"), std::string::npos);
  const kit_test::KitResult list = RunKit("strings");
  ASSERT_EQ(list.status, 0) << list.err;
  EXPECT_EQ(list.out.rfind("; ", 0), 0u);
  EXPECT_NE(list.out.find("\n[strings]\n"), std::string::npos);
  for (const TextEntry& e : GameTexts::Entries()) {
    std::string line = e.name;
    line += '=';
    EXPECT_NE(list.out.find(line), std::string::npos) << e.name;
  }
  // UTF-8, as a game's source holds it, with line breaks written "\n".
  const std::string feud =
      reinterpret_cast<const char*>(u8"\nmessage.feud=我与%s结怨，以后可要多多提防\n");
  EXPECT_NE(list.out.find(feud), std::string::npos);
  EXPECT_NE(list.out.find("\nresult.stats=Level: %d    Attack: %d    Defence: %d\\nHit rate"),
            std::string::npos);

  // The printed file, saved as a game's strings.ini, changes nothing: a text that the INI reader
  // would cut short at its ";" is left commented out rather than written cut.
  EXPECT_NE(list.out.find("; (reword without"), std::string::npos);
  test::WriteFile("strings.ini", list.out);
  const kit_test::KitResult same = RunKit("strings check strings.ini");
  EXPECT_EQ(same.status, 0) << same.err;
  EXPECT_EQ(same.out.find("* "), std::string::npos) << same.out;

  const kit_test::KitResult json = RunKit("strings --json");
  ASSERT_EQ(json.status, 0);
  const nlohmann::json doc = nlohmann::json::parse(json.out);
  ASSERT_EQ(doc.size(), GameTexts::Entries().size());
  EXPECT_EQ(doc[0]["name"], GameTexts::Entries()[0].name);
  EXPECT_EQ(doc[0]["text"], "Level Up!");
}

TEST(KitStrings, CheckMarksReplacementsAndFailsOnARefusedOne) {
  KitFolder folder;
  const std::string demo =
      (std::filesystem::path(demo_test::DemoSourceDir()) / "ini" / "strings.ini").string();
  const kit_test::KitResult ok = RunKit("strings check '" + demo + "'");
  EXPECT_EQ(ok.status, 0) << ok.err;
  EXPECT_NE(ok.out.find("* message.level_too_low=My level is too low to use this item.\n"),
            std::string::npos)
      << ok.out;
  EXPECT_NE(ok.out.find("  message.level_up=Level Up!\n"), std::string::npos);

  test::WriteFile("bad.ini", "[strings]\nmessage.bag_full_dropped=Lost %d items.\n");
  const kit_test::KitResult bad = RunKit("strings check bad.ini");
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find("refused: message.bag_full_dropped"), std::string::npos) << bad.err;
  EXPECT_NE(RunKit("strings nonsense").status, 0);
}

}  // namespace
}  // namespace isora

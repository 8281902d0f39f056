// The save file's JSON form refuses members it does not know instead of dropping them.
#include <gtest/gtest.h>

#include "lib/save_json.h"
#include "save/save_data.h"

namespace isora {
namespace {

using Json = nlohmann::ordered_json;

TEST(SaveJsonFields, AMisspeltMemberAnywhereIsNamedWithItsPlace) {
  SaveData d;
  std::string error;
  Json j = SaveToJson(d);
  ASSERT_TRUE(SaveFromJson(j, d, &error)) << error;  // the dump's own members, magic included

  Json top = j;
  top["kilCount"] = 3;
  EXPECT_FALSE(SaveFromJson(top, d, &error));
  EXPECT_EQ(error, "unknown field \"kilCount\" in the save");

  Json nested = j;
  nested["missions"] = Json::array({{{"name", "Wolves"}, {"requierd", 2}}});
  EXPECT_FALSE(SaveFromJson(nested, d, &error));
  EXPECT_EQ(error, "unknown field \"requierd\" in the save/missions/0");

  Json player = j;
  player["player"]["hpp"] = 5;
  EXPECT_FALSE(SaveFromJson(player, d, &error));
  EXPECT_EQ(error, "unknown field \"hpp\" in the save/player");
}

}  // namespace
}  // namespace isora

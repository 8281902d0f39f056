#include "lib/json_source.h"

#include <gtest/gtest.h>

#include "lib/tiled_reader.h"

namespace isora::demo {
namespace {

TEST(JsonSource, ValuesKeepTheLineTheyStartOn) {
  JsonSource src;
  std::string error;
  ASSERT_TRUE(ParseJsonSource(
      "{\n \"records\": [\n  {\"name\": \"a\"},\n  {\n   \"name\": \"b\"}]}", src, &error))
      << error;
  EXPECT_EQ(src.LineOf("/records/0/name"), 3);
  EXPECT_EQ(src.LineOf("/records/1/name"), 5);
  EXPECT_EQ(src.LineOf("/records/1/missing"), 4);  // the nearest enclosing value
}

// Found by fuzzing the JSON content sources: a number beyond a double ("1e400") threw an
// exception the reader did not catch, and the kit ended on std::terminate. It is now refused
// like any syntax error, with the number's place.
TEST(JsonSource, NumberTooLargeForADoubleIsRefusedWithItsPlace) {
  JsonSource src;
  std::string error;
  EXPECT_FALSE(ParseJsonSource("{\n \"records\": [\n  {\"price\": 1e400}]}", src, &error));
  EXPECT_EQ(src.errorLine, 3);
  EXPECT_NE(error.find("line 3, column 13"), std::string::npos) << error;
  EXPECT_NE(error.find("1e400"), std::string::npos) << error;
  // A syntax error still names its own place.
  EXPECT_FALSE(ParseJsonSource("{\n \"a\": [1,\n}", src, &error));
  EXPECT_EQ(src.errorLine, 3);
}

// The same number in a Tiled JSON map escaped the Tiled reader's error report.
TEST(JsonSource, TiledMapWithANumberTooLargeIsRefusedNotThrown) {
  nlohmann::json out;
  std::string error;
  std::vector<std::string> warnings;
  EXPECT_FALSE(ParseTiledMap("{\"type\": \"map\", \"width\": 1e400}", "/nonexistent", out,
                             &warnings, &error));
  EXPECT_NE(error.find("neither a TMX map nor valid JSON"), std::string::npos) << error;
}

}  // namespace
}  // namespace isora::demo

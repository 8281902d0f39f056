// Loads and runs arbitrary script bytes against the recording host, and lints them.
#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/clock.h"
#include "foundation/game_log.h"
#include "lib/recording_host.h"
#include "script/script_check.h"
#include "script/script_engine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static isora::FixedClock clock;
  static isora::ScopedClock fixed(&clock);
  static const bool quiet = (isora::GameLog::Redirect([](const std::string&) {}), true);
  (void)quiet;
  std::string text(reinterpret_cast<const char*>(data), size);
  isora::RecordingHost host;
  isora::ScriptEngine engine;
  engine.CreateFromText("fuzz.gsp", host, text);
  const int32_t answers[] = {1, 0, 1};
  isora::RunScriptRecorded(engine, host, answers);
  isora::CheckScript(text);
  return 0;
}

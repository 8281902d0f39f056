#include "shell/headless_runner.h"

#include "foundation/file_io.h"
#include "media/headless_platform.h"
#include "shell/game.h"
#include "shell/replay_pointer.h"
#include "shell/state_query.h"

namespace isora {

namespace {

// The replay's line, and why, when the file cannot be written inside the output folder.
std::string WriteOutput(const std::string& folder, const ReplayEvent& ev,
                        std::span<const uint8_t> bytes) {
  std::string why;
  if (WriteFileInside(folder, ev.path, bytes, false, &why)) return {};
  return "line " + std::to_string(ev.line) + ": " + ev.path + ": " + why;
}

}  // namespace

HeadlessRunResult RunHeadless(CGame& game, HeadlessPlatform& platform,
                              const std::vector<ReplayEvent>& events, int64_t maxFrames,
                              const std::string& outFolder) {
  HeadlessRunResult result;
  auto write = [&](const ReplayEvent& ev, std::span<const uint8_t> bytes) {
    if (std::string error = WriteOutput(outFolder, ev, bytes); !error.empty())
      result.errors.push_back(std::move(error));
  };
  game.WindowProc(Message{kUmSetGame, 0, 0});
  size_t next = 0;
  bool closing = false;
  int64_t delay = 0;  // frames the replay's waits have added
  for (;;) {
    const int64_t frame = game.FramesRun();
    bool shift = false;
    while (next < events.size() && events[next].frame + delay <= frame) {
      const ReplayEvent& ev = events[next];
      if (ev.kind == ReplayEvent::Kind::kWait) {
        // Later events wait for the state; they keep their spacing once it holds.
        const int64_t waited = frame - (ev.frame + delay);
        StateCondition condition;
        std::string found, why;
        ParseStateCondition(ev.name, &condition, &why);
        if (StateConditionHolds(condition, DumpGameState(game), &found)) {
          delay += waited;
        } else if (waited >= ev.x) {
          result.failures.push_back("line " + std::to_string(ev.line) + ": wait: " + ev.name +
                                    " did not hold within " + std::to_string(ev.x) +
                                    " frames (it is " + found + ")");
          platform.InjectClose();
          closing = true;
          break;
        } else {
          break;
        }
      }
      ++next;
      switch (ev.kind) {
        case ReplayEvent::Kind::kWait:
          break;
        case ReplayEvent::Kind::kPointRole:
        case ReplayEvent::Kind::kPointCell:
        case ReplayEvent::Kind::kPointItem: {
          Point at;
          std::string why;
          if (ReplayPointer::Resolve(game, ev, &at, &why)) {
            platform.InjectMouseMove(at.x, at.y);
          } else {
            result.failures.push_back("line " + std::to_string(ev.line) + ": " + why);
            platform.InjectClose();
            closing = true;
          }
          break;
        }
        case ReplayEvent::Kind::kMove:
          platform.InjectMouseMove(ev.x, ev.y);
          break;
        case ReplayEvent::Kind::kLDown:
          platform.InjectButton(MouseButton::Left, true);
          break;
        case ReplayEvent::Kind::kLUp:
          platform.InjectButton(MouseButton::Left, false);
          break;
        case ReplayEvent::Kind::kRDown:
          platform.InjectButton(MouseButton::Right, true);
          break;
        case ReplayEvent::Kind::kRUp:
          platform.InjectButton(MouseButton::Right, false);
          break;
        case ReplayEvent::Kind::kKey:
          if (ev.shift) {
            platform.SetKeyDown(kVkShift, true);
            shift = true;
          }
          platform.InjectKeyDown(ev.virtualKey);
          break;
        case ReplayEvent::Kind::kShot: {
          const Surface* back = game.GetRenderer().GetSurface(kSurfaceBackBuffer);
          std::vector<uint8_t> bmp = back ? SurfaceToBmp24(*back) : std::vector<uint8_t>{};
          if (bmp.empty())
            result.errors.push_back(ev.path + ": no back buffer");
          else
            write(ev, bmp);
          break;
        }
        case ReplayEvent::Kind::kState: {
          const std::string text = DumpGameState(game);
          write(ev, {reinterpret_cast<const uint8_t*>(text.data()), text.size()});
          break;
        }
        case ReplayEvent::Kind::kPadDown:
        case ReplayEvent::Kind::kPadUp:
          platform.InjectPadButton(ev.padButton, ev.kind == ReplayEvent::Kind::kPadDown);
          break;
        case ReplayEvent::Kind::kPadAxis:
          platform.InjectPadAxis(ev.padAxis, ev.x);
          break;
        case ReplayEvent::Kind::kPadPlug:
        case ReplayEvent::Kind::kPadUnplug:
          platform.InjectPadConnected(ev.kind == ReplayEvent::Kind::kPadPlug, ev.x);
          break;
        case ReplayEvent::Kind::kQuit:
          platform.InjectClose();
          closing = true;
          break;
      }
    }
    if (!closing && next == events.size() &&
        (events.empty() || frame > events.back().frame + delay ||
         (maxFrames > 0 && frame >= maxFrames))) {
      platform.InjectClose();
      closing = true;
    }
    if (!closing && maxFrames > 0 && frame >= maxFrames) {
      platform.InjectClose();
      closing = true;
    }
    // Messages of this frame's events go first, with Shift held while its key is handled.
    int code = 0;
    while (platform.PendingMessages() > 0) {
      if (game.Pump(&code) == CGame::PumpResult::kQuit) {
        result.exitCode = code;
        result.frames = game.FramesRun();
        return result;
      }
    }
    if (shift) platform.SetKeyDown(kVkShift, false);
    CGame::PumpResult r = game.Pump(&code);
    if (r == CGame::PumpResult::kQuit) {
      result.exitCode = code;
      break;
    }
    if (r == CGame::PumpResult::kIdle) platform.AdvanceTime(41);
  }
  result.frames = game.FramesRun();
  return result;
}

}  // namespace isora

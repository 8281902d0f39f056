#include "shell/message_line_place.h"

namespace isora {

MessageLinePlace MessageLinePlaceFor(GameMode mode, GameMode fadeTarget) {
  switch (mode) {
    case ModePlay:
    case ModeLoadingMap:
    case ModeBuildWorld:
    case ModeLoadingGame:
    case ModeRestoreGame:
    case ModeOptions:  // a refused binding is told there
      return MessageLinePlace::kOverScreen;
    case ModeTalk:
    case ModeGameMenu:
    case ModeSavePanel:
    case ModeLoadPanel:
    case ModeStatusPanel:
    case ModeBags:
    case ModeHelp:
      return MessageLinePlace::kUnderPanel;
    case ModeFade:
      // A fade is drawn plain; the line shows over it only on the way into or within play.
      if (fadeTarget == ModeFade) return MessageLinePlace::kCleared;
      return MessageLinePlaceFor(fadeTarget, ModeMainMenu) == MessageLinePlace::kCleared
                 ? MessageLinePlace::kCleared
                 : MessageLinePlace::kOverScreen;
    case ModeBossKey:
    case ModeIdle:
      return MessageLinePlace::kHidden;
    default:
      return MessageLinePlace::kCleared;
  }
}

}  // namespace isora

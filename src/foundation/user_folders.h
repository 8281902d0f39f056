// Where the player's own files live: settings per game under the XDG config folder; saves,
// screenshots and the log in the game folder when it is writable, else under the XDG data
// folder, so an installed (read-only) game still saves.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace isora {

// The environment as the folder rules read it; unset variables are empty optionals.
using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;

// The game's short name for its user folders: the last component of the game folder, with
// anything other than letters, digits, '-', '_' and '.' made '_'. "game" when nothing is left.
std::string GameFolderName(std::string_view gameFolder);

// $XDG_CONFIG_HOME/isora/<game>, else $HOME/.config/isora/<game>. Empty when neither variable
// is set to an absolute path (XDG says relative values are to be ignored).
std::string SettingsFolder(std::string_view gameFolder, const EnvironmentLookup& env);

// $XDG_DATA_HOME/isora/<game>, else $HOME/.local/share/isora/<game>; empty as above.
std::string UserDataFolder(std::string_view gameFolder, const EnvironmentLookup& env);

// Whether files can be created in the folder (and in its saves and screenshot folders when they
// exist). A probe file is made and removed, so read-only mounts and permissions both count.
bool FolderWritable(const std::string& folder);

// The folder for saves, screenshots and the log: saveDir when given, else the game folder when
// writable, else the user data folder (empty when no user data folder can be named either: the
// game folder is then used and saving fails as it would have).
std::string ChoosePlayerFolder(const std::string& gameFolder, const std::string& saveDir,
                               const EnvironmentLookup& env,
                               const std::function<bool(const std::string&)>& writable);

// The process's environment, through the one seam that reads it.
EnvironmentLookup ProcessEnvironment();

}  // namespace isora

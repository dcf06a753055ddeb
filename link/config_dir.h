#pragma once

#include <string>

namespace rq30 {

// The program's per-user folder, named QelFW_K47 like its registry key:
// $XDG_CONFIG_HOME/QelFW_K47 (an unset, empty or relative XDG_CONFIG_HOME
// means ~/.config), %APPDATA%\QelFW_K47 on Windows. The folder need not
// exist; UTF-8, without a trailing separator.
std::string ConfigDir();

}  // namespace rq30

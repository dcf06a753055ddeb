#include "config_dir.h"
#include "settings_ini.h"
#include "settings_store.h"

namespace rq30 {

std::unique_ptr<SettingsStore> OpenSettingsStore() {
  return std::make_unique<IniSettingsStore>(ConfigDir() + "/settings.ini");
}

}  // namespace rq30

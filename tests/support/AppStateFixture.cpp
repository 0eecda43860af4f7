#include "support/AppStateFixture.h"

namespace thrumwise::test {

AppStateFixture::AppStateFixture()
    : settings(folder.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat),
      store(folder.filePath(QStringLiteral("Thrumwise")), log.logger()),
      state_(relaunch()) {}

std::unique_ptr<AppState> AppStateFixture::relaunch() {
    return std::make_unique<AppState>(
        AppState::Services{settings, store, saveQueue, blocklist,
                           [this](const std::optional<GameProfile>& profile) {
                               handedToEngine.push_back(profile);
                           }},
        true);
}

}  // namespace thrumwise::test

#pragma once

#include "model/ProfileManager.h"
#include "model/ProfileSaveQueue.h"
#include "services/CompanionBlocklist.h"
#include "state/AppState.h"
#include "support/LogRecorder.h"

#include <QSettings>
#include <QTemporaryDir>

namespace thrumwise::test {

// Remembers every request, in order: "block X", "unblock X".
struct RecordingBlocklist final : CompanionBlocklist {
    void blockApp(const std::string& id) override { calls.push_back("block " + id); }
    void unblockApp(const std::string& id) override { calls.push_back("unblock " + id); }

    std::vector<std::string> calls;
};

// A state over temporary settings and files, a recording blocklist, and what the engine got.
struct AppStateFixture {
    AppState& state() { return *state_; }
    // A second state over the same settings and files, as at the next launch.
    std::unique_ptr<AppState> relaunch() {
        return std::make_unique<AppState>(AppState::Services{settings, store, saveQueue, blocklist,
                                                             [this](const auto& profile) {
                                                                 handedToEngine.push_back(profile);
                                                             }},
                                          true);
    }

    QTemporaryDir folder;
    LogRecorder log;
    QSettings settings{folder.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat};
    ProfileManager store{folder.filePath(QStringLiteral("Thrumwise")), log.logger()};
    ProfileSaveQueue saveQueue{[this](const std::vector<GameProfile>& profiles) {
        return store.saveProfiles(profiles);
    }};
    RecordingBlocklist blocklist;
    std::vector<std::optional<GameProfile>> handedToEngine;
    std::unique_ptr<AppState> state_ = relaunch();  // last, over all of the above
};

}  // namespace thrumwise::test

#pragma once

// All a view's test needs: Qt Test and Widgets, the views, a state, samples and a desktop.
#include "discovery/DesktopEntryDiscovery.h"
#include "discovery/LinuxAppDiscovery.h"
#include "discovery/SteamGameDiscovery.h"
#include "haptics/HapticTrigger.h"
#include "support/AppStateFixture.h"
#include "support/Files.h"
#include "support/SampleProfiles.h"
#include "ui/AddMappingSheet.h"
#include "ui/AddProfileSheet.h"
#include "ui/AppFilePicker.h"
#include "ui/AppIconLookup.h"
#include "ui/ChangeAppSheet.h"
#include "ui/InstalledApps.h"
#include "ui/KeyCaptureView.h"
#include "ui/MainWindow.h"
#include "ui/MappingRow.h"
#include "ui/MessageBoxAlertPresenter.h"
#include "ui/ProfileEditorView.h"
#include "ui/ProfileListModel.h"
#include "ui/SettingsView.h"
#include "ui/StatusBar.h"

#include <linux/input-event-codes.h>

#include <QtTest>
#include <QtWidgets>

using namespace thrumwise;
using namespace Qt::StringLiterals;

// A view's suite: a Qt Test class whose private slots come between these two, and its main.
// clang-format off
#define VIEW_SUITE(Suite) class Suite : public QObject { Q_OBJECT private Q_SLOTS:
#define VIEW_SUITE_END(Suite) }; QTEST_MAIN(Suite)
// clang-format on

namespace thrumwise::test {

// The first T under `root` whose text or accessible name is `name`, or null.
template <typename T>
T* child(const QWidget& root, QStringView name) {
    for (T* widget : root.findChildren<T*>()) {
        if (widget->property("text").toString() == name || widget->accessibleName() == name) {
            return widget;
        }
    }
    return nullptr;
}

inline void clickRow(QAbstractItemView& list, int row) {
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                      list.visualRect(list.model()->index(row, 0)).center());
}

inline QStringList rowTexts(const QAbstractItemModel& model) {
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row) {
        texts << model.index(row, 0).data().toString();
    }
    return texts;
}

// The texts of the labels that would be on screen with `root`, in creation order.
inline QStringList shownTexts(const QWidget& root) {
    QStringList texts;
    for (const QLabel* label : root.findChildren<QLabel*>()) {
        if (label->isVisibleTo(&root) && !label->text().isEmpty()) {
            texts << label->text();
        }
    }
    return texts;
}

// A key as X11 sends it, first to shortcuts: its keycode is the evdev code plus 8.
inline void pressKey(QWidget& receiver, std::uint32_t evdev, int qtKey, const QString& text = {},
                     Qt::KeyboardModifiers modifiers = {}) {
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, qtKey, modifiers, evdev + 8, 0, 0, text);
        QApplication::sendEvent(&receiver, &event);
    }
}

// Writes down every requested effect and accepts it at once.
struct RecordingHaptics final : HapticTrigger {
    void trigger(std::string pattern, Completion done) override {
        patterns.push_back(std::move(pattern));
        if (done) {
            done(true);
        }
    }
    std::vector<std::string> patterns;
};

// Desktop entries in a temporary folder and the applications read from them (known by `wmClass`,
// else by file name), a file dialog answering `next` or a cancel, and all a window is built with.
struct FixtureDesktop final : AppFilePicker {
    bool addEntry(const QString& file, const QByteArray& name, const QByteArray& wmClass = {}) {
        const QByteArray entry = "[Desktop Entry]\nType=Application\nName=" + name +
                                 (wmClass.isEmpty() ? QByteArray() : "\nStartupWMClass=" + wmClass);
        return writeFile(path(u"data/applications/"_s + file), entry);
    }
    QString path(const QString& name) const { return root.filePath(name); }
    std::optional<QString> pickApplication(QWidget* /*parent*/) override {
        return std::exchange(next, std::nullopt);
    }
    ViewServices services() { return {app.state(), icons, haptics, apps, *this}; }

    QTemporaryDir root;
    BoundedFileSystem files;
    DesktopEntryDiscovery desktopEntries{{path(u"data"_s), {}}, "C", files};
    SteamGameDiscovery steamGames{{}, files};
    AppBundleReader bundles{files};
    LinuxAppDiscovery discovery{desktopEntries, steamGames, bundles};
    InstalledApps apps{discovery};
    std::optional<QString> next;
    AppStateFixture app;
    NoAppIcons icons;
    RecordingHaptics haptics;
};

}  // namespace thrumwise::test

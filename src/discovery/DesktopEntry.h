#pragma once

#include <optional>

#include <QByteArray>
#include <QString>

namespace thrumwise {

// The keys of a desktop entry that the discovery uses, read by the freedesktop rules (groups,
// comments, escapes, localized keys). Nothing it names is ever run.
struct DesktopEntry {
    QString type;
    // Localized for the locale the entry was read with.
    QString name;
    // A theme icon name or an absolute file path.
    QString icon;
    QString startupWmClass;
    bool noDisplay = false;
    bool hidden = false;

    // Nothing unless the bytes form a key file with a "Desktop Entry" group. The locale is
    // written as in LC_MESSAGES ("de_DE.UTF-8"); empty means the process's own.
    static std::optional<DesktopEntry> parse(const QByteArray& bytes, const QByteArray& locale);

    // An entry of type Application with a name.
    bool isApplication() const;
    // An application that menus show: neither NoDisplay nor Hidden.
    bool isShownApplication() const;

    // The identifier a window of this application carries: StartupWMClass when it is set,
    // else the desktop file id without ".desktop".
    QString identifier(const QString& desktopFileId) const;
};

}  // namespace thrumwise

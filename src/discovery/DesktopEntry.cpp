#include "discovery/DesktopEntry.h"

#include <glib.h>
#include <memory>

namespace thrumwise {

namespace {

struct KeyFileDeleter {
    void operator()(GKeyFile* file) const { g_key_file_free(file); }
};

// Takes ownership of a string GLib returned (null when the key is missing).
QString adopt(gchar* text) {
    QString result = QString::fromUtf8(text);
    g_free(text);
    return result;
}

}  // namespace

std::optional<DesktopEntry> DesktopEntry::parse(const QByteArray& bytes, const QByteArray& locale) {
    const std::unique_ptr<GKeyFile, KeyFileDeleter> file(g_key_file_new());
    // Without a locale of its own, GLib drops the translations for other locales while loading.
    const GKeyFileFlags flags = locale.isEmpty() ? G_KEY_FILE_NONE : G_KEY_FILE_KEEP_TRANSLATIONS;
    if (g_key_file_load_from_data(file.get(), bytes.constData(), static_cast<gsize>(bytes.size()),
                                  flags, nullptr) == FALSE ||
        g_key_file_has_group(file.get(), G_KEY_FILE_DESKTOP_GROUP) == FALSE) {
        return std::nullopt;
    }
    auto text = [&](const char* key) {
        return adopt(g_key_file_get_string(file.get(), G_KEY_FILE_DESKTOP_GROUP, key, nullptr));
    };
    // A missing or malformed boolean reads as false.
    auto flag = [&](const char* key) {
        return g_key_file_get_boolean(file.get(), G_KEY_FILE_DESKTOP_GROUP, key, nullptr) != FALSE;
    };
    DesktopEntry entry;
    entry.type = text(G_KEY_FILE_DESKTOP_KEY_TYPE);
    entry.name = adopt(g_key_file_get_locale_string(
        file.get(), G_KEY_FILE_DESKTOP_GROUP, G_KEY_FILE_DESKTOP_KEY_NAME,
        locale.isEmpty() ? nullptr : locale.constData(), nullptr));
    entry.icon = text(G_KEY_FILE_DESKTOP_KEY_ICON);
    entry.startupWmClass = text(G_KEY_FILE_DESKTOP_KEY_STARTUP_WM_CLASS);
    entry.noDisplay = flag(G_KEY_FILE_DESKTOP_KEY_NO_DISPLAY);
    entry.hidden = flag(G_KEY_FILE_DESKTOP_KEY_HIDDEN);
    return entry;
}

bool DesktopEntry::isApplication() const {
    return type == QLatin1String(G_KEY_FILE_DESKTOP_TYPE_APPLICATION) && !name.trimmed().isEmpty();
}

bool DesktopEntry::isShownApplication() const {
    return isApplication() && !noDisplay && !hidden;
}

QString DesktopEntry::identifier(const QString& desktopFileId) const {
    if (!startupWmClass.trimmed().isEmpty()) {
        return startupWmClass;
    }
    QString id = desktopFileId;
    if (id.endsWith(QLatin1String(".desktop"))) {
        id.chop(8);
    }
    return id;
}

}  // namespace thrumwise

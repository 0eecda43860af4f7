// Any bytes as a desktop entry: never a crash, a hang or a leak, and the same
// result as GLib reading the whole file, for the process's locale and for a
// given one. The reader leaves out lines before GLib parses them; this checks
// that what it leaves out never changes what is read.
#include "discovery/DesktopEntry.h"

#include <cstddef>
#include <cstdint>
#include <glib.h>
#include <memory>

namespace {

using thrumwise::DesktopEntry;

struct KeyFileDeleter {
    void operator()(GKeyFile* file) const { g_key_file_free(file); }
};

QString adopt(gchar* text) {
    QString result = QString::fromUtf8(text);
    g_free(text);
    return result;
}

std::optional<DesktopEntry> readWhole(const QByteArray& bytes, const QByteArray& locale) {
    const std::unique_ptr<GKeyFile, KeyFileDeleter> file(g_key_file_new());
    const char* const group = G_KEY_FILE_DESKTOP_GROUP;
    if (g_key_file_load_from_data(file.get(), bytes.constData(), static_cast<gsize>(bytes.size()),
                                  locale.isEmpty() ? G_KEY_FILE_NONE : G_KEY_FILE_KEEP_TRANSLATIONS,
                                  nullptr) == FALSE ||
        g_key_file_has_group(file.get(), group) == FALSE) {
        return std::nullopt;
    }
    DesktopEntry entry;
    entry.type = adopt(g_key_file_get_string(file.get(), group, "Type", nullptr));
    entry.name = adopt(g_key_file_get_locale_string(
        file.get(), group, "Name", locale.isEmpty() ? nullptr : locale.constData(), nullptr));
    entry.icon = adopt(g_key_file_get_string(file.get(), group, "Icon", nullptr));
    entry.startupWmClass =
        adopt(g_key_file_get_string(file.get(), group, "StartupWMClass", nullptr));
    entry.noDisplay = g_key_file_get_boolean(file.get(), group, "NoDisplay", nullptr) != FALSE;
    entry.hidden = g_key_file_get_boolean(file.get(), group, "Hidden", nullptr) != FALSE;
    return entry;
}

bool same(const std::optional<DesktopEntry>& a, const std::optional<DesktopEntry>& b) {
    if (!a || !b) {
        return a.has_value() == b.has_value();
    }
    return a->type == b->type && a->name == b->name && a->icon == b->icon &&
           a->startupWmClass == b->startupWmClass && a->noDisplay == b->noDisplay &&
           a->hidden == b->hidden;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const QByteArray& locale : {QByteArray(), QByteArray("de_DE.UTF-8@euro")}) {
        const auto entry = DesktopEntry::parse(bytes, locale);
        if (!same(entry, readWhole(bytes, locale))) {
            __builtin_trap();
        }
        if (entry) {
            entry->identifier(QStringLiteral("org.example.App.desktop"));
            entry->isShownApplication();
        }
    }
    return 0;
}

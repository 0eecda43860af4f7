#include "discovery/DesktopEntry.h"

#include <algorithm>
#include <array>
#include <glib.h>
#include <memory>
#include <string_view>

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

// The keys read below, and "Encoding", which GLib checks while loading.
constexpr std::array<std::string_view, 7> usedKeys{G_KEY_FILE_DESKTOP_KEY_TYPE,
                                                   G_KEY_FILE_DESKTOP_KEY_NAME,
                                                   G_KEY_FILE_DESKTOP_KEY_ICON,
                                                   G_KEY_FILE_DESKTOP_KEY_STARTUP_WM_CLASS,
                                                   G_KEY_FILE_DESKTOP_KEY_NO_DISPLAY,
                                                   G_KEY_FILE_DESKTOP_KEY_HIDDEN,
                                                   "Encoding"};

// White space as GLib's key-file reader skips it: a vertical tab is not, and makes a line an
// error.
bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool isAsciiAlnum(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

enum class LineKind { Group, Ignored, UnusedKey, Other };

// How GLib sees a line, as far as needed to know it can be left out: a comment or blank line
// (ignored), or a well-formed pair whose key is none of the keys read. Anything unusual is Other.
LineKind classify(std::string_view line) {
    std::size_t at = 0;
    while (at < line.size() && isSpace(line[at])) {
        ++at;
    }
    if (at == line.size() || line[at] == '#' || line[at] == '\0') {
        return LineKind::Ignored;
    }
    if (line[at] == '[') {
        return LineKind::Group;
    }
    const std::size_t keyStart = at;
    while (at < line.size() && (isAsciiAlnum(line[at]) || line[at] == '-')) {
        ++at;
    }
    const std::string_view key = line.substr(keyStart, at - keyStart);
    if (key.empty()) {
        return LineKind::Other;
    }
    if (at < line.size() && line[at] == '[') {
        const std::size_t localeStart = ++at;
        while (at < line.size() && (isAsciiAlnum(line[at]) || line[at] == '-' || line[at] == '_' ||
                                    line[at] == '.' || line[at] == '@')) {
            ++at;
        }
        if (at == localeStart || at == line.size() || line[at] != ']') {
            return LineKind::Other;
        }
        ++at;
    }
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) {
        ++at;
    }
    if (at == line.size() || line[at] != '=' ||
        std::find(usedKeys.begin(), usedKeys.end(), key) != usedKeys.end()) {
        return LineKind::Other;
    }
    return LineKind::UnusedKey;
}

// GLib stores every line it loads, and installed entries carry dozens of translated comments,
// keywords and actions: loading them is most of a scan's cost. Lines that GLib would accept and
// that are never asked for are left out: comments, blank lines, and well-formed pairs of unused
// keys once a group has begun (before it, a pair is an error GLib must still see). Everything
// else stays in order, so what loads, and what it yields, is as for the whole file.
QByteArray withoutUnusedLines(const QByteArray& bytes) {
    QByteArray kept;
    kept.reserve(bytes.size());
    bool inGroup = false;
    const std::string_view text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t newline = text.find('\n', start);
        const std::size_t end = newline == std::string_view::npos ? text.size() : newline + 1;
        const std::string_view line = text.substr(start, end - start);
        const LineKind kind =
            classify(line.substr(0, line.size() - (newline == std::string_view::npos ? 0 : 1)));
        inGroup = inGroup || kind == LineKind::Group;
        if (kind == LineKind::Group || kind == LineKind::Other ||
            (kind == LineKind::UnusedKey && !inGroup)) {
            kept.append(line.data(), static_cast<qsizetype>(line.size()));
        }
        start = end;
    }
    return kept;
}

}  // namespace

std::optional<DesktopEntry> DesktopEntry::parse(const QByteArray& bytes, const QByteArray& locale) {
    const std::unique_ptr<GKeyFile, KeyFileDeleter> file(g_key_file_new());
    // Without a locale of its own, GLib drops the translations for other locales while loading.
    const GKeyFileFlags flags = locale.isEmpty() ? G_KEY_FILE_NONE : G_KEY_FILE_KEEP_TRANSLATIONS;
    const QByteArray kept = withoutUnusedLines(bytes);
    if (g_key_file_load_from_data(file.get(), kept.constData(), static_cast<gsize>(kept.size()),
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

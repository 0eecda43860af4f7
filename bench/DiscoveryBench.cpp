// The scan a picker runs when it opens, on a generated machine: 2,000 desktop
// entries (a user folder, a system folder with a subfolder, each entry with 40
// translations as installed applications carry them) and 500 Steam games in two
// libraries. Beside it, the floor: listing the same folders and reading every
// file without parsing anything, and the same reads through the bounded reader.
#include "discovery/AppBundleReader.h"
#include "discovery/BoundedFileSystem.h"
#include "discovery/DesktopEntryDiscovery.h"
#include "discovery/LinuxAppDiscovery.h"
#include "discovery/SteamGameDiscovery.h"

#include <array>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

using namespace thrumwise;

constexpr int userEntries = 400;
constexpr int systemEntries = 1'450;
constexpr int subfolderEntries = 150;
constexpr int gamesInHome = 300;
constexpr int gamesInSecondLibrary = 200;

const std::array languages{"ar", "bg", "ca", "cs", "da", "de", "el", "en_GB", "es",    "et",
                           "eu", "fi", "fr", "gl", "he", "hr", "hu", "id",    "it",    "ja",
                           "ko", "lt", "lv", "nb", "nl", "pl", "pt", "pt_BR", "ro",    "ru",
                           "sk", "sl", "sr", "sv", "th", "tr", "uk", "vi",    "zh_CN", "zh_TW"};

void write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        qFatal("cannot write %s", qPrintable(path));
    }
}

QByteArray desktopEntry(int number) {
    const QByteArray name = "Application " + QByteArray::number(number);
    QByteArray entry = "[Desktop Entry]\nType=Application\nVersion=1.0\nName=" + name + '\n';
    for (const char* language : languages) {
        entry += "Name[" + QByteArray(language) + "]=" + name + " (" + language + ")\n";
    }
    entry += "Comment=Does what application " + QByteArray::number(number) + " does\n";
    for (const char* language : languages) {
        entry += "Comment[" + QByteArray(language) + "]=Translated comment for " + language + '\n';
    }
    entry += "Exec=app" + QByteArray::number(number) + " %U\nIcon=app" +
             QByteArray::number(number) +
             "\nTerminal=false\nCategories=Game;ActionGame;\nStartupNotify=true\n";
    if (number % 3 == 0) {
        entry += "StartupWMClass=App" + QByteArray::number(number) + '\n';
    }
    if (number % 50 == 0) {
        entry += "NoDisplay=true\n";
    }
    entry +=
        "Actions=new-window;\n\n[Desktop Action new-window]\nName=New Window\nExec=app --new\n";
    return entry;
}

QByteArray appManifest(int appId) {
    const QByteArray id = QByteArray::number(appId);
    return "\"AppState\"\n{\n\t\"appid\"\t\t\"" + id +
           "\"\n\t\"Universe\"\t\t\"1\"\n\t\"LauncherPath\"\t\t\"/home/u/.local/share/Steam/"
           "ubuntu12_32/steam\"\n\t\"name\"\t\t\"Game " +
           id + "\"\n\t\"StateFlags\"\t\t\"4\"\n\t\"installdir\"\t\t\"Game " + id +
           "\"\n\t\"LastUpdated\"\t\t\"1700000000\"\n\t\"SizeOnDisk\"\t\t\"1234567890\"\n"
           "\t\"buildid\"\t\t\"12345678\"\n\t\"LastOwner\"\t\t\"76561198000000000\"\n"
           "\t\"AutoUpdateBehavior\"\t\t\"0\"\n\t\"AllowOtherDownloadsWhileRunning\"\t\t\"0\"\n"
           "\t\"ScheduledAutoUpdate\"\t\t\"0\"\n\t\"InstalledDepots\"\n\t{\n\t\t\"" +
           QByteArray::number(appId + 1) +
           "\"\n\t\t{\n\t\t\t\"manifest\"\t\t\"1234567890123456789\"\n\t\t\t\"size\"\t\t"
           "\"1234567890\"\n\t\t}\n\t}\n\t\"UserConfig\"\n\t{\n\t\t\"language\"\t\t\"english\"\n"
           "\t}\n\t\"MountedConfig\"\n\t{\n\t\t\"language\"\t\t\"english\"\n\t}\n}\n";
}

// The generated machine, written once for all benchmarks.
struct Machine {
    QTemporaryDir root;
    QString home = root.filePath(QStringLiteral("home"));
    QString dataHome = home + QStringLiteral("/.local/share");
    QString dataDir = root.filePath(QStringLiteral("usr/share"));
    QString secondLibrary = root.filePath(QStringLiteral("games/SteamLibrary"));
    QStringList folders;

    Machine() {
        const QString user = dataHome + QStringLiteral("/applications");
        const QString system = dataDir + QStringLiteral("/applications");
        const QString sub = system + QStringLiteral("/kde");
        const QString homeLibrary = dataHome + QStringLiteral("/Steam/steamapps");
        const QString otherLibrary = secondLibrary + QStringLiteral("/steamapps");
        folders = {user, system, sub, homeLibrary, otherLibrary};
        int number = 0;
        for (const auto& [folder, count] :
             {std::pair{user, userEntries}, std::pair{system, systemEntries},
              std::pair{sub, subfolderEntries}}) {
            for (int i = 0; i < count; ++i, ++number) {
                write(QStringLiteral("%1/org.example.App%2.desktop").arg(folder).arg(number),
                      desktopEntry(number));
            }
        }
        write(system + QStringLiteral("/mimeinfo.cache"), QByteArray(40'000, 'm'));
        for (int i = 0; i < gamesInHome + gamesInSecondLibrary; ++i) {
            const QString library = i < gamesInHome ? homeLibrary : otherLibrary;
            write(QStringLiteral("%1/appmanifest_%2.acf").arg(library).arg(1000 + (i * 10)),
                  appManifest(1000 + (i * 10)));
        }
        write(homeLibrary + QStringLiteral("/libraryfolders.vdf"),
              "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + dataHome.toUtf8() +
                  "/Steam\"\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" + secondLibrary.toUtf8() +
                  "\"\n\t}\n}\n");
        QDir().mkpath(home + QStringLiteral("/.steam"));
        QFile::link(dataHome + QStringLiteral("/Steam"), home + QStringLiteral("/.steam/steam"));
    }
};

const Machine& machine() {
    static const Machine generated;
    return generated;
}

void BM_LinuxScan(benchmark::State& state) {
    const Machine& m = machine();
    const BoundedFileSystem files;
    const DesktopEntryDiscovery desktopEntries({m.dataHome, {m.dataDir}}, QByteArray(), files);
    const SteamGameDiscovery steamGames(SteamGameDiscovery::standardRoots(m.home), files);
    const AppBundleReader bundles(files);
    LinuxAppDiscovery discovery(desktopEntries, steamGames, bundles);
    std::size_t found = 0;
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the library's idiom
        found = discovery.scanInstalledApps().size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["apps"] = static_cast<double>(found);
}

template <typename Read>
void readEveryFile(benchmark::State& state, Read read) {
    const Machine& m = machine();
    std::size_t bytes = 0;
    for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the library's idiom
        bytes = 0;
        for (const QString& folder : m.folders) {
            const QStringList names = QDir(folder).entryList(QDir::Files | QDir::NoDotAndDotDot);
            for (const QString& name : names) {
                bytes += static_cast<std::size_t>(read(folder + QLatin1Char('/') + name).size());
            }
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}

void BM_ListAndReadFloor(benchmark::State& state) {
    readEveryFile(state, [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    });
}

void BM_ListAndReadBounded(benchmark::State& state) {
    const BoundedFileSystem files;
    readEveryFile(state,
                  [&](const QString& path) { return files.readFile(path).value_or(QByteArray()); });
}

}  // namespace

BENCHMARK(BM_LinuxScan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListAndReadFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListAndReadBounded)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

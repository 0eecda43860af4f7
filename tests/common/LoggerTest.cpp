#include "common/Logger.h"

#include <thread>
#include <vector>

#include <QTest>

using namespace thrumwise;

class LoggerTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void controlCharactersCannotSplitOrForgeALine() {
        std::vector<std::string> lines;
        Logger logger([&](std::string_view line) { lines.emplace_back(line); });
        logger.log("[AppMonitor] No profile for: Über → game");
        logger.log("[AppMonitor] No profile for: x\n[TriggerEngine] firing wave\x1b[2J\x7f");
        QCOMPARE(lines, (std::vector<std::string>{
                            "[AppMonitor] No profile for: Über → game",
                            "[AppMonitor] No profile for: x\\x0a[TriggerEngine] firing "
                            "wave\\x1b[2J\\x7f"}));
    }

    // A sink that yields half-way would interleave lines without the logger's lock.
    void linesFromManyThreadsStayWhole() {
        std::vector<std::string> lines;
        Logger logger([&](std::string_view line) {
            std::string copy(line.substr(0, line.size() / 2));
            std::this_thread::yield();
            lines.push_back(copy + std::string(line.substr(line.size() / 2)));
        });
        std::vector<std::jthread> writers;
        writers.reserve(4);
        for (int t = 0; t < 4; ++t) {
            writers.emplace_back([&logger, t] {
                for (int i = 0; i < 500; ++i) {
                    logger.log("writer " + std::to_string(t) + " line " + std::to_string(i));
                }
            });
        }
        writers.clear();
        QCOMPARE(lines.size(), std::size_t{2000});
        for (const std::string& line : lines) {
            QVERIFY2(line.starts_with("writer ") && line.find("writer", 1) == std::string::npos,
                     line.c_str());
        }
    }
};

QTEST_GUILESS_MAIN(LoggerTest)
#include "LoggerTest.moc"

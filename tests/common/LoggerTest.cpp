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
        logger.log("[A] Über → game");
        logger.log("[A] x\n[B] forged\x1b[2J\x7f");
        QCOMPARE(lines, (std::vector<std::string>{"[A] Über → game",
                                                  "[A] x\\x0a[B] forged\\x1b[2J\\x7f"}));
    }

    // A sink that writes a line in two parts would interleave them without the logger's lock.
    void linesFromManyThreadsStayWhole() {
        std::string text;
        Logger logger([&text](std::string_view line) {
            text += line.front();
            std::this_thread::yield();
            text += std::string(line.substr(1)) + '\n';
        });
        const auto write = [&logger] {
            for (int i = 0; i < 500; ++i) {
                logger.log("ab");
            }
        };
        { const std::jthread first(write), second(write), third(write), fourth(write); }
        QCOMPARE(QString::fromStdString(text).count(QStringLiteral("ab\n")), 2000);
    }
};

QTEST_GUILESS_MAIN(LoggerTest)
#include "LoggerTest.moc"

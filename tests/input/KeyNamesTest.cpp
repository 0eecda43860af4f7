#include "input/KeyNames.h"

#include <map>

#include <QTest>

using namespace thrumwise;

class KeyNamesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A few names of each group, and how many keys have one.
    void namesTheKeysPlayersSee() {
        const std::map<std::uint16_t, std::string_view> some{
            {0, "A"},      {11, "B"},     {6, "Z"},       {31, "O"},      {46, "M"},
            {18, "1"},     {22, "6"},     {23, "5"},      {29, "0"},      {24, "="},
            {27, "-"},     {30, "]"},     {42, "\\"},     {50, "`"},      {36, "Return"},
            {48, "Tab"},   {49, "Space"}, {51, "Delete"}, {53, "Escape"}, {122, "F1"},
            {99, "F3"},    {96, "F5"},    {111, "F12"},   {105, "F13"},   {113, "F15"},
            {123, "Left"}, {126, "Up"}};
        for (const auto& [code, name] : some) {
            QVERIFY2(inputKeyName(code) == name, qPrintable(QString::number(code)));
        }
        int named = 0;
        for (std::uint32_t code = 0; code <= 0xFFFF; ++code) {
            named += inputKeyName(static_cast<std::uint16_t>(code)) ? 1 : 0;
        }
        QCOMPARE(named, 71);
        for (const std::uint16_t code : {10, 52, 117, 127, 65535}) {
            QVERIFY2(!inputKeyName(code), qPrintable(QString::number(code)));
        }
    }
};

QTEST_GUILESS_MAIN(KeyNamesTest)
#include "KeyNamesTest.moc"

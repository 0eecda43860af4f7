#include "input/KeyNames.h"

#include <map>

#include <QTest>

using namespace thrumwise;

class KeyNamesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The display names of the key codes, as players see them in the window.
    void namesEveryTableKeyAndNothingElse() {
        const std::map<std::uint16_t, std::string_view> expected{
            {0, "A"},       {1, "S"},       {2, "D"},      {3, "F"},       {4, "H"},
            {5, "G"},       {6, "Z"},       {7, "X"},      {8, "C"},       {9, "V"},
            {11, "B"},      {12, "Q"},      {13, "W"},     {14, "E"},      {15, "R"},
            {16, "Y"},      {17, "T"},      {18, "1"},     {19, "2"},      {20, "3"},
            {21, "4"},      {22, "6"},      {23, "5"},     {24, "="},      {25, "9"},
            {26, "7"},      {27, "-"},      {28, "8"},     {29, "0"},      {30, "]"},
            {31, "O"},      {32, "U"},      {33, "["},     {34, "I"},      {35, "P"},
            {36, "Return"}, {37, "L"},      {38, "J"},     {39, "'"},      {40, "K"},
            {41, ";"},      {42, "\\"},     {43, ","},     {44, "/"},      {45, "N"},
            {46, "M"},      {47, "."},      {48, "Tab"},   {49, "Space"},  {50, "`"},
            {51, "Delete"}, {53, "Escape"}, {96, "F5"},    {97, "F6"},     {98, "F7"},
            {99, "F3"},     {100, "F8"},    {101, "F9"},   {103, "F11"},   {105, "F13"},
            {107, "F14"},   {109, "F10"},   {111, "F12"},  {113, "F15"},   {118, "F4"},
            {120, "F2"},    {122, "F1"},    {123, "Left"}, {124, "Right"}, {125, "Down"},
            {126, "Up"}};
        QCOMPARE(expected.size(), std::size_t{71});
        for (std::uint32_t code = 0; code <= 0xFFFF; ++code) {
            const auto name = inputKeyName(static_cast<std::uint16_t>(code));
            const auto wanted = expected.find(static_cast<std::uint16_t>(code));
            if (wanted == expected.end()) {
                QVERIFY2(!name, qPrintable(QString::number(code)));
            } else {
                QVERIFY2(name == wanted->second, qPrintable(QString::number(code)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(KeyNamesTest)
#include "KeyNamesTest.moc"

#include "input/KeyNames.h"
#include "platform/GlobalEventSource.h"
#include "platform/MacKeyCodes.h"

#include <linux/input-event-codes.h>
#include <map>
#include <set>

#include <QTest>

using namespace thrumwise;

class MacKeyCodesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void keysTranslateByPosition_data() {
        QTest::addColumn<int>("evdev");
        QTest::addColumn<int>("mac");
        const auto row = [](const char* name, int evdev, int mac) {
            QTest::newRow(name) << evdev << mac;
        };
        row("A", KEY_A, 0);
        row("S", KEY_S, 1);
        row("Z", KEY_Z, 6);
        row("B", KEY_B, 11);
        row("Q", KEY_Q, 12);
        row("Y", KEY_Y, 16);
        row("T", KEY_T, 17);
        row("P", KEY_P, 35);
        row("M", KEY_M, 46);
        row("1", KEY_1, 18);
        row("5", KEY_5, 23);
        row("6", KEY_6, 22);
        row("0", KEY_0, 29);
        row("minus", KEY_MINUS, 27);
        row("equal", KEY_EQUAL, 24);
        row("left bracket", KEY_LEFTBRACE, 33);
        row("right bracket", KEY_RIGHTBRACE, 30);
        row("backslash", KEY_BACKSLASH, 42);
        row("semicolon", KEY_SEMICOLON, 41);
        row("apostrophe", KEY_APOSTROPHE, 39);
        row("grave", KEY_GRAVE, 50);
        row("comma", KEY_COMMA, 43);
        row("full stop", KEY_DOT, 47);
        row("slash", KEY_SLASH, 44);
        row("ISO extra key", KEY_102ND, 10);
        row("Escape", KEY_ESC, 53);
        row("Tab", KEY_TAB, 48);
        row("Return", KEY_ENTER, 36);
        row("Backspace is Delete", KEY_BACKSPACE, 51);
        row("Space", KEY_SPACE, 49);
        row("F1", KEY_F1, 122);
        row("F4", KEY_F4, 118);
        row("F5", KEY_F5, 96);
        row("F10", KEY_F10, 109);
        row("F12", KEY_F12, 111);
        row("F13", KEY_F13, 105);
        row("F16", KEY_F16, 106);
        row("F17", KEY_F17, 64);
        row("F20", KEY_F20, 90);
        row("Left", KEY_LEFT, 123);
        row("Right", KEY_RIGHT, 124);
        row("Down", KEY_DOWN, 125);
        row("Up", KEY_UP, 126);
        row("Insert is Help", KEY_INSERT, 114);
        row("forward Delete", KEY_DELETE, 117);
        row("Home", KEY_HOME, 115);
        row("End", KEY_END, 119);
        row("Page Up", KEY_PAGEUP, 116);
        row("Page Down", KEY_PAGEDOWN, 121);
        row("keypad 0", KEY_KP0, 82);
        row("keypad 7", KEY_KP7, 89);
        row("keypad 8", KEY_KP8, 91);
        row("keypad 9", KEY_KP9, 92);
        row("keypad decimal", KEY_KPDOT, 65);
        row("keypad multiply", KEY_KPASTERISK, 67);
        row("keypad plus", KEY_KPPLUS, 69);
        row("Num Lock is Clear", KEY_NUMLOCK, 71);
        row("keypad divide", KEY_KPSLASH, 75);
        row("keypad Enter", KEY_KPENTER, 76);
        row("keypad minus", KEY_KPMINUS, 78);
        row("keypad equals", KEY_KPEQUAL, 81);
        row("Compose", KEY_COMPOSE, 110);
        row("Menu", KEY_MENU, 110);
        row("Caps Lock", KEY_CAPSLOCK, 57);
        row("left Shift", KEY_LEFTSHIFT, 56);
        row("right Shift", KEY_RIGHTSHIFT, 60);
        row("left Control", KEY_LEFTCTRL, 59);
        row("right Control", KEY_RIGHTCTRL, 62);
        row("left Alt is Option", KEY_LEFTALT, 58);
        row("right Alt is Option", KEY_RIGHTALT, 61);
        row("left Super is Command", KEY_LEFTMETA, 55);
        row("right Super is Command", KEY_RIGHTMETA, 54);
    }

    void keysTranslateByPosition() {
        QFETCH(int, evdev);
        QFETCH(int, mac);
        QCOMPARE(MacKeyCodes::fromEvdev(static_cast<std::uint32_t>(evdev)),
                 std::optional<std::uint16_t>(static_cast<std::uint16_t>(mac)));
    }

    void keysWithoutMacCounterpartGiveNothing() {
        for (const std::uint32_t evdev :
             {0U, std::uint32_t{KEY_SYSRQ}, std::uint32_t{KEY_SCROLLLOCK}, std::uint32_t{KEY_PAUSE},
              std::uint32_t{KEY_MUTE}, std::uint32_t{KEY_F21}, std::uint32_t{BTN_LEFT},
              std::uint32_t{KEY_MAX}, 0xFFFFFFFFU}) {
            QVERIFY2(!MacKeyCodes::fromEvdev(evdev), qPrintable(QString::number(evdev)));
        }
    }

    // A slip in the table shows up as two keys landing on one Mac key.
    void onlyMenuAndComposeShareAMacKey() {
        std::map<std::uint16_t, std::set<std::uint32_t>> sources;
        for (std::uint32_t evdev = 0; evdev <= KEY_MAX; ++evdev) {
            if (const auto mac = MacKeyCodes::fromEvdev(evdev)) {
                sources[*mac].insert(evdev);
            }
        }
        for (const auto& [mac, evdevs] : sources) {
            if (mac == 110) {
                QCOMPARE(evdevs, (std::set<std::uint32_t>{KEY_COMPOSE, KEY_MENU}));
            } else {
                QVERIFY2(evdevs.size() == 1, qPrintable(QString::number(mac)));
            }
        }
    }

    void everyNamedKeyCanBeTyped() {
        std::set<std::uint16_t> reachable;
        for (std::uint32_t evdev = 0; evdev <= KEY_MAX; ++evdev) {
            if (const auto mac = MacKeyCodes::fromEvdev(evdev)) {
                reachable.insert(*mac);
            }
        }
        int named = 0;
        for (std::uint16_t code = 0; code < 256; ++code) {
            if (inputKeyName(code)) {
                ++named;
                QVERIFY2(reachable.contains(code), qPrintable(QString::number(code)));
            }
        }
        QCOMPARE(named, 71);
    }

    void modifierKeysSetTheirFlagFromEitherSide() {
        const std::map<std::uint16_t, std::uint64_t> expected{
            {56, QuartzFlags::shift},
            {60, QuartzFlags::shift},
            {59, QuartzFlags::control},
            {62, QuartzFlags::control},
            {58, QuartzFlags::alternate},
            {61, QuartzFlags::alternate},
            {55, QuartzFlags::command},
            {54, QuartzFlags::command},
            {57, 0},  // Caps Lock: a modifier key without a held flag
        };
        for (std::uint16_t code = 0; code < 256; ++code) {
            const auto flag = MacKeyCodes::modifierFlag(code);
            const auto found = expected.find(code);
            if (found == expected.end()) {
                QVERIFY2(!flag, qPrintable(QString::number(code)));
            } else {
                QCOMPARE(flag, std::optional<std::uint64_t>(found->second));
            }
        }
    }
};

QTEST_GUILESS_MAIN(MacKeyCodesTest)
#include "MacKeyCodesTest.moc"

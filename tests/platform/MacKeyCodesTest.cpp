#include "input/KeyNames.h"
#include "platform/GlobalEventSource.h"
#include "platform/MacKeyCodes.h"

#include <linux/input-event-codes.h>
#include <map>
#include <set>

#include <QTest>

using namespace thrumwise;

namespace {

// Every Mac key code that some Linux key reaches, with the keys that reach it.
std::map<std::uint16_t, std::set<std::uint32_t>> reachedMacKeys() {
    std::map<std::uint16_t, std::set<std::uint32_t>> sources;
    for (std::uint32_t evdev = 0; evdev <= KEY_MAX; ++evdev) {
        if (const auto mac = MacKeyCodes::fromEvdev(evdev)) {
            sources[*mac].insert(evdev);
        }
    }
    return sources;
}

}  // namespace

class MacKeyCodesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A few keys of each group, where the Mac order differs from the Linux one.
    void keysTranslateByPosition() {
        const std::map<std::uint32_t, std::uint16_t> positions{
            {KEY_A, 0},        {KEY_S, 1},          {KEY_Z, 6},          {KEY_B, 11},
            {KEY_Q, 12},       {KEY_Y, 16},         {KEY_T, 17},         {KEY_M, 46},
            {KEY_1, 18},       {KEY_5, 23},         {KEY_6, 22},         {KEY_0, 29},
            {KEY_MINUS, 27},   {KEY_EQUAL, 24},     {KEY_LEFTBRACE, 33}, {KEY_BACKSLASH, 42},
            {KEY_GRAVE, 50},   {KEY_DOT, 47},       {KEY_102ND, 10},     {KEY_ESC, 53},
            {KEY_ENTER, 36},   {KEY_BACKSPACE, 51}, {KEY_SPACE, 49},     {KEY_F1, 122},
            {KEY_F4, 118},     {KEY_F5, 96},        {KEY_F12, 111},      {KEY_F13, 105},
            {KEY_F16, 106},    {KEY_F17, 64},       {KEY_F20, 90},       {KEY_INSERT, 114},
            {KEY_DELETE, 117}, {KEY_HOME, 115},     {KEY_PAGEDOWN, 121}, {KEY_LEFT, 123},
            {KEY_UP, 126},     {KEY_KP0, 82},       {KEY_KP8, 91},       {KEY_KPENTER, 76},
            {KEY_NUMLOCK, 71}, {KEY_KPEQUAL, 81},
        };
        for (const auto& [evdev, mac] : positions) {
            QVERIFY2(MacKeyCodes::fromEvdev(evdev) == mac, qPrintable(QString::number(evdev)));
        }
    }

    void modifiersTranslateAndSetTheirFlagFromEitherSide() {
        struct Modifier {
            std::uint32_t evdev;
            std::uint16_t mac;
            std::uint64_t flag;
        };
        const std::vector<Modifier> modifiers{
            {KEY_LEFTSHIFT, 56, ModifierFlags::shift},
            {KEY_RIGHTSHIFT, 60, ModifierFlags::shift},
            {KEY_LEFTCTRL, 59, ModifierFlags::control},
            {KEY_RIGHTCTRL, 62, ModifierFlags::control},
            {KEY_LEFTALT, 58, ModifierFlags::option},
            {KEY_RIGHTALT, 61, ModifierFlags::option},
            {KEY_LEFTMETA, 55, ModifierFlags::command},
            {KEY_RIGHTMETA, 54, ModifierFlags::command},
            {KEY_CAPSLOCK, 57, 0},  // a lock, not a held modifier
        };
        std::map<std::uint16_t, std::uint64_t> flags;
        for (const Modifier& modifier : modifiers) {
            QVERIFY2(MacKeyCodes::fromEvdev(modifier.evdev) == modifier.mac,
                     qPrintable(QString::number(modifier.evdev)));
            flags[modifier.mac] = modifier.flag;
        }
        for (std::uint16_t code = 0; code < 256; ++code) {
            const auto found = flags.find(code);
            QVERIFY2(MacKeyCodes::modifierFlag(code) ==
                         (found == flags.end() ? std::nullopt : std::optional(found->second)),
                     qPrintable(QString::number(code)));
        }
    }

    void keysWithoutMacCounterpartGiveNothing() {
        for (const std::uint32_t evdev :
             {0U, std::uint32_t{KEY_SYSRQ}, std::uint32_t{KEY_PAUSE}, std::uint32_t{KEY_MUTE},
              std::uint32_t{KEY_F21}, std::uint32_t{BTN_LEFT}, 0xFFFFFFFFU}) {
            QVERIFY2(!MacKeyCodes::fromEvdev(evdev), qPrintable(QString::number(evdev)));
        }
    }

    void x11KeycodesAreEvdevCodesShiftedByEight() {
        QCOMPARE(MacKeyCodes::fromX11Keycode(KEY_A + 8), std::optional<std::uint16_t>(0));
        QCOMPARE(MacKeyCodes::fromX11Keycode(KEY_LEFT + 8), std::optional<std::uint16_t>(123));
        for (const std::uint32_t keycode : {0U, 7U, std::uint32_t{KEY_SYSRQ + 8}}) {
            QVERIFY2(!MacKeyCodes::fromX11Keycode(keycode), qPrintable(QString::number(keycode)));
        }
    }

    // A slip in the table shows up as two keys landing on one Mac key.
    void onlyMenuAndComposeShareAMacKey() {
        for (const auto& [mac, evdevs] : reachedMacKeys()) {
            if (mac == 110) {
                QCOMPARE(evdevs, (std::set<std::uint32_t>{KEY_COMPOSE, KEY_MENU}));
            } else {
                QVERIFY2(evdevs.size() == 1, qPrintable(QString::number(mac)));
            }
        }
    }

    void everyNamedKeyCanBeTyped() {
        const auto reachable = reachedMacKeys();
        for (std::uint16_t code = 0; code < 256; ++code) {
            QVERIFY2(!inputKeyName(code) || reachable.contains(code),
                     qPrintable(QString::number(code)));
        }
    }
};

QTEST_GUILESS_MAIN(MacKeyCodesTest)
#include "MacKeyCodesTest.moc"

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
    // A slip in the table shows as two Linux keys landing on one Mac key, or as
    // a key the input monitor names that no Linux key reaches.
    void everyMacKeyHasOneLinuxKeyAndEveryNamedKeyCanBeTyped() {
        std::map<std::uint16_t, std::set<std::uint32_t>> sources;
        for (std::uint32_t evdev = 0; evdev <= KEY_MAX; ++evdev) {
            if (const auto mac = MacKeyCodes::fromEvdev(evdev)) {
                sources[*mac].insert(evdev);
            }
        }
        for (const auto& [mac, evdevs] : sources) {
            QVERIFY2(evdevs.size() == 1 ||
                         (mac == 110 && evdevs == std::set<std::uint32_t>{KEY_COMPOSE, KEY_MENU}),
                     qPrintable(QString::number(mac)));
        }
        for (std::uint16_t code = 0; code < 256; ++code) {
            QVERIFY2(!inputKeyName(code) || sources.contains(code),
                     qPrintable(QString::number(code)));
        }
        for (const std::uint32_t evdev : {0U, std::uint32_t{KEY_SYSRQ}, std::uint32_t{BTN_LEFT}}) {
            QVERIFY(!MacKeyCodes::fromEvdev(evdev));
        }
    }

    void x11KeycodesAreEvdevCodesShiftedByEight() {
        QCOMPARE(MacKeyCodes::fromX11Keycode(KEY_A + 8), std::optional<std::uint16_t>(0));
        QCOMPARE(MacKeyCodes::fromX11Keycode(KEY_LEFT + 8), std::optional<std::uint16_t>(123));
        for (const std::uint32_t keycode : {0U, 7U, std::uint32_t{KEY_SYSRQ + 8}}) {
            QVERIFY2(!MacKeyCodes::fromX11Keycode(keycode), qPrintable(QString::number(keycode)));
        }
    }

    // Either side sets the flag; Caps Lock is a lock, not a held modifier.
    void modifiersSetTheirFlagFromEitherSide() {
        const std::map<std::uint32_t, std::uint64_t> flags{{KEY_LEFTSHIFT, ModifierFlags::shift},
                                                           {KEY_RIGHTSHIFT, ModifierFlags::shift},
                                                           {KEY_LEFTCTRL, ModifierFlags::control},
                                                           {KEY_RIGHTCTRL, ModifierFlags::control},
                                                           {KEY_LEFTALT, ModifierFlags::option},
                                                           {KEY_RIGHTALT, ModifierFlags::option},
                                                           {KEY_LEFTMETA, ModifierFlags::command},
                                                           {KEY_RIGHTMETA, ModifierFlags::command},
                                                           {KEY_CAPSLOCK, 0}};
        int modifiers = 0;
        for (std::uint16_t code = 0; code < 256; ++code) {
            modifiers += MacKeyCodes::modifierFlag(code) ? 1 : 0;
        }
        QCOMPARE(modifiers, 9);
        for (const auto& [evdev, flag] : flags) {
            QVERIFY2(MacKeyCodes::modifierFlag(*MacKeyCodes::fromEvdev(evdev)) == flag,
                     qPrintable(QString::number(evdev)));
        }
    }
};

QTEST_GUILESS_MAIN(MacKeyCodesTest)
#include "MacKeyCodesTest.moc"

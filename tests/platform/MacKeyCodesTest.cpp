#include "input/KeyNames.h"
#include "platform/GlobalEventSource.h"
#include "platform/MacKeyCodes.h"

#include <linux/input-event-codes.h>
#include <set>

#include <QTest>

using namespace thrumwise;

// The keys the X server types are X11InputTest's; here the whole table.
class MacKeyCodesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A slip in the table leaves a key the input monitor names that no Linux key
    // reaches. Eight modifier keys set their flags; Caps Lock is a lock, not a
    // held modifier, so known with no flag.
    void everyNamedKeyCanBeTypedAndModifiersSetTheirFlags() {
        std::set<std::uint16_t> reached;
        for (std::uint32_t evdev = 0; evdev <= KEY_MAX; ++evdev) {
            if (const auto mac = MacKeyCodes::fromEvdev(evdev)) {
                reached.insert(*mac);
            }
        }
        std::multiset<std::uint64_t> flags;
        for (std::uint16_t code = 0; code < 256; ++code) {
            QVERIFY2(!inputKeyName(code) || reached.contains(code),
                     qPrintable(QString::number(code)));
            if (const auto flag = MacKeyCodes::modifierFlag(code)) {
                flags.insert(*flag);
            }
        }
        using namespace ModifierFlags;
        QVERIFY(flags == (std::multiset<std::uint64_t>{0, shift, shift, control, control, option,
                                                       option, command, command}));
    }
};

QTEST_GUILESS_MAIN(MacKeyCodesTest)
#include "MacKeyCodesTest.moc"

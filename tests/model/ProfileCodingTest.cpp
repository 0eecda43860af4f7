#include "model/IsoDate.h"
#include "model/ProfileCoding.h"
#include "support/SampleProfiles.h"

#include <functional>

#include <QTest>
#include <nlohmann/json.hpp>

using namespace thrumwise;
using nlohmann::ordered_json;

namespace {

using Mutation = std::function<void(ordered_json& profile)>;

std::vector<std::string> keysOf(const ordered_json& object) {
    std::vector<std::string> keys;
    for (const auto& item : object.items()) {
        keys.push_back(item.key());
    }
    return keys;
}

// A valid one-profile document as JSON, for the malformed cases to spoil.
ordered_json validProfileJson() {
    KeyMapping mapping = test::keyMapping("M1", 0, "wave", {ModifierKey::shift});
    mapping.keyName = "A";
    const std::vector<GameProfile> profiles{
        test::profile("P1", "Arena", "com.example.arena", {mapping})};
    return ordered_json::parse(encodeProfiles(profiles))[0];
}

// Decodes and returns the error text, or "" when decoding succeeded.
std::string decodeError(const std::string& json) {
    try {
        decodeProfiles(json);
    } catch (const ProfileCodingError& error) {
        return error.what();
    }
    return {};
}

}  // namespace

Q_DECLARE_METATYPE(Mutation)

class ProfileCodingTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void roundTripKeepsEveryField() {
        KeyMapping key = test::keyMapping("K", 65535, "sharp_collision",
                                          {ModifierKey::command, ModifierKey::shift});
        key.keyName = "Ω";
        key.cooldownMs = -5;
        key.triggerOnHold = true;
        key.holdRepeatIntervalMs = 51;
        KeyMapping unnamed = test::keyMapping("U", 0, "not_in_catalogue");
        KeyMapping mouse =
            test::mouseMapping("R", MouseButton::right, "knock", {ModifierKey::option});
        mouse.cooldownMs = std::numeric_limits<std::int64_t>::max();
        GameProfile first = test::profile("P1", "Arena \"quoted\" \\ \n\t\x01", "com.example.arena",
                                          {key, unnamed, mouse});
        first.isEnabled = false;
        first.blockPressmint = true;
        first.updatedAt = *parseIsoDate("0001-01-01T00:00:00Z");
        const std::vector<GameProfile> profiles{first, test::profile("P2", "", "")};

        QVERIFY(decodeProfiles(encodeProfiles(profiles)) == profiles);
    }

    void writesKeysInFieldOrderAndLeavesAbsentOptionalsOut() {
        KeyMapping named = test::keyMapping("K", 1, "wave");
        named.keyName = "S";
        const std::vector<GameProfile> profiles{
            test::profile("P", "Arena", "com.example.arena",
                          {named, test::keyMapping("N", 2, "wave"),
                           test::mouseMapping("M", MouseButton::left, "wave")})};
        const std::string text = encodeProfiles(profiles);
        const auto document = ordered_json::parse(text);

        const std::vector<std::string> profileKeys{"id",        "displayName", "bundleId",
                                                   "mappings",  "isEnabled",   "blockPressmint",
                                                   "createdAt", "updatedAt"};
        QVERIFY(keysOf(document[0]) == profileKeys);
        const auto& mappings = document[0]["mappings"];
        QVERIFY((keysOf(mappings[0]) ==
                 std::vector<std::string>{"id", "triggerType", "keyCode", "keyName",
                                          "hapticPattern", "cooldownMs", "requiredModifiers",
                                          "triggerOnHold", "holdRepeatIntervalMs"}));
        QVERIFY(!mappings[1].contains("keyName"));
        QVERIFY(!mappings[2].contains("keyCode"));
        QVERIFY(!mappings[2].contains("keyName"));
        QCOMPARE(mappings[2]["mouseButton"].get<std::string>(), std::string("left"));
        QVERIFY(text.find("null") == std::string::npos);
        QVERIFY(text.find("\n    \"id\": \"P\"") != std::string::npos);  // pretty-printed
        QCOMPARE(document[0]["createdAt"].get<std::string>(), std::string("2026-03-01T10:20:30Z"));
    }

    void emptyListIsAnEmptyArray() {
        QCOMPARE(encodeProfiles({}), std::string("[]"));
        QVERIFY(decodeProfiles("[]").empty());
    }

    void readsKeysInAnyOrderIgnoringUnknownAndNullOptionals() {
        const std::string json = R"([{
            "future": {"nested": [1, 2]},
            "updatedAt": "2024-02-29T23:59:59Z", "createdAt": "1970-01-01T00:00:00Z",
            "blockPressmint": true, "isEnabled": false, "bundleId": "b", "displayName": "d",
            "mappings": [{
                "holdRepeatIntervalMs": 20, "triggerOnHold": true, "requiredModifiers": [],
                "cooldownMs": 160.0, "hapticPattern": "knock", "mouseButton": null,
                "keyName": null, "keyCode": 12, "triggerType": "keyboard", "id": "m", "extra": null
            }],
            "id": "p"
        }])";
        const auto profiles = decodeProfiles(json);
        QCOMPARE(profiles.size(), std::size_t{1});
        const KeyMapping& mapping = profiles[0].mappings[0];
        QCOMPARE(*mapping.keyCode, std::uint16_t{12});
        QVERIFY(!mapping.keyName.has_value());
        QVERIFY(!mapping.mouseButton.has_value());
        QCOMPARE(mapping.cooldownMs, std::int64_t{160});
        QCOMPARE(profiles[0].createdAt.time_since_epoch().count(), 0);
        QVERIFY(profiles[0].blockPressmint);
        QVERIFY(!profiles[0].isEnabled);
    }

    void fractionalSecondsAreDroppedOnWriting() {
        GameProfile original = test::profile("P", "Arena", "b");
        original.createdAt += std::chrono::milliseconds(999);
        original.updatedAt -= std::chrono::microseconds(1);

        const GameProfile decoded = decodeProfiles(encodeProfiles({original}))[0];
        QVERIFY(!(decoded == original));
        QCOMPARE(*formatIsoDate(decoded.createdAt), std::string("2026-03-01T10:20:30Z"));
        QCOMPARE(*formatIsoDate(decoded.updatedAt), std::string("2026-03-01T10:20:29Z"));
    }

    void modifierOrderMattersForEquality() {
        const KeyMapping a =
            test::keyMapping("M", 1, "wave", {ModifierKey::shift, ModifierKey::command});
        const KeyMapping b =
            test::keyMapping("M", 1, "wave", {ModifierKey::command, ModifierKey::shift});
        QVERIFY(!(a == b));
        QVERIFY(a.requiredModifierSet() == b.requiredModifierSet());
    }

    void encodingFailsForTextThatIsNotUtf8() {
        const std::vector<GameProfile> profiles{
            test::profile("P", std::string("bad \xff name"), "b")};
        QVERIFY_THROWS_EXCEPTION(ProfileCodingError, encodeProfiles(profiles));
        GameProfile late = test::profile("P", "Arena", "b");
        late.updatedAt = *parseIsoDate("9999-12-31T23:59:59Z") + std::chrono::seconds(1);
        QVERIFY_THROWS_EXCEPTION(ProfileCodingError, encodeProfiles({late}));
    }

    void rejectsMalformedDocuments() {
        const std::string valid = validProfileJson().dump();
        for (const auto& [json, expected] : std::vector<std::pair<std::string, std::string>>{
                 {"", "not valid JSON"},
                 {R"([{"id": "p", "displayName")", "not valid JSON (at profile 0)"},  // truncated
                 {"[" + valid + ",]", "not valid JSON (at profile 1)"},
                 {"['p']", "not valid JSON"},
                 {"[] x", "not valid JSON"},
                 {"[] []", "more than one JSON value"},
                 {R"({"id": "p"})", "array of profiles"},
                 {"[42]", "profile 0: should be an object, not a number"},
                 {"[\"\xff\"]", "not valid UTF-8"}}) {
            const std::string error = decodeError(json);
            QVERIFY2(error.find(expected) != std::string::npos, json.c_str());
        }
    }

    void rejectsMalformedValues_data() {
        QTest::addColumn<Mutation>("mutate");
        QTest::addColumn<QString>("expected");
        // `key` of the mapping (or, for `ofProfile`, of the profile) set to the JSON `value`.
        const auto spoil = [](bool ofProfile, const char* key, const char* value,
                              const char* complaint) {
            QTest::addRow("%s %s = %s", ofProfile ? "profile" : "mapping", key, value)
                << Mutation([=](ordered_json& p) {
                       (ofProfile ? p : p["mappings"][0])[key] = ordered_json::parse(value);
                   })
                << QStringLiteral("\"%1\" %2").arg(QLatin1String(key), QLatin1String(complaint));
        };
        const auto mapping = [&](const char* key, const char* value, const char* complaint) {
            spoil(false, key, value, complaint);
        };
        const auto profile = [&](const char* key, const char* value, const char* complaint) {
            spoil(true, key, value, complaint);
        };
        mapping("cooldownMs", R"("160")", "should be an integer, not a string");
        mapping("cooldownMs", "1.5", "should be an integer");
        mapping("cooldownMs", "9223372036854775808", "is outside");
        mapping("cooldownMs", "1e19", "is outside");
        mapping("holdRepeatIntervalMs", "true", "should be an integer, not a boolean");
        mapping("triggerOnHold", R"("true")", "should be a boolean");
        mapping("triggerOnHold", "null", "should be a boolean, not a null");
        mapping("keyCode", "-1", "is outside 0 to 65535");
        mapping("keyCode", "65536", "is outside 0 to 65535");
        mapping("keyCode", R"("12")", "should be an integer");
        mapping("keyName", "3", "should be a string");
        mapping("requiredModifiers", R"("shift")", "should be an array");
        mapping("requiredModifiers", R"(["fn"])", R"(has the unknown value "fn")");
        mapping("requiredModifiers", R"(["Shift"])", R"(has the unknown value "Shift")");
        mapping("triggerType", R"("Keyboard")", R"(has the unknown value "Keyboard")");
        mapping("mouseButton", R"("middle")", R"(has the unknown value "middle")");
        mapping("mouseButton", R"("Left")", R"(has the unknown value "Left")");
        profile("mappings", "{}", "should be an array, not an object");
        profile("isEnabled", "1", "should be a boolean, not a number");
        profile("displayName", "null", "should be a string, not a null");
        profile("createdAt", R"("2026-03-01T10:20:30.5Z")", R"(holds "2026-03-01T10:20:30.5Z")");
        profile("createdAt", R"("2026-03-01T10:20:30+01:00")", "holds");
        profile("updatedAt", R"("2026-03-01 10:20:30Z")", "holds");
        profile("updatedAt", R"("2026-13-01T10:20:30Z")", "holds");
        profile("updatedAt", R"("2026-02-30T10:20:30Z")", "holds");
        profile("updatedAt", R"("2026-02-03T24:00:00Z")", "holds");
        profile("updatedAt", "1700000000", "should be a string");
        QTest::newRow("mapping not an object")
            << Mutation([](ordered_json& p) { p["mappings"][0] = "x"; })
            << QStringLiteral("mapping 0: should be an object, not a string");

        for (const char* key : {"id", "displayName", "bundleId", "mappings", "isEnabled",
                                "blockPressmint", "createdAt", "updatedAt"}) {
            QTest::addRow("profile without %s", key)
                << Mutation([key](ordered_json& p) { p.erase(key); })
                << QStringLiteral("key \"%1\" is missing").arg(QLatin1String(key));
        }
        for (const char* key : {"id", "triggerType", "hapticPattern", "cooldownMs",
                                "requiredModifiers", "triggerOnHold", "holdRepeatIntervalMs"}) {
            QTest::addRow("mapping without %s", key)
                << Mutation([key](ordered_json& p) { p["mappings"][0].erase(key); })
                << QStringLiteral("key \"%1\" is missing").arg(QLatin1String(key));
        }
    }

    void rejectsMalformedValues() {
        QFETCH(Mutation, mutate);
        QFETCH(QString, expected);
        // A valid profile first, so the failure must come from the spoilt second one.
        ordered_json spoilt = validProfileJson();
        mutate(spoilt);
        const std::string error = decodeError(ordered_json{validProfileJson(), spoilt}.dump());
        QVERIFY2(error.find(expected.toStdString()) != std::string::npos, error.c_str());
        QVERIFY2(error.starts_with("profile 1"), error.c_str());
    }

    void errorsNameTheProfileMappingAndKey() {
        ordered_json spoilt = validProfileJson();
        spoilt["mappings"].push_back(spoilt["mappings"][0]);
        spoilt["mappings"][1]["id"] = "SECOND";
        spoilt["mappings"][1].erase("cooldownMs");
        const std::string error = decodeError(ordered_json{spoilt}.dump());
        QCOMPARE(
            error,
            std::string(
                R"(profile 0 (id "P1"), mapping 1 (id "SECOND"): key "cooldownMs" is missing)"));
    }
};

QTEST_GUILESS_MAIN(ProfileCodingTest)
#include "ProfileCodingTest.moc"

#include "model/IsoDate.h"
#include "model/ProfileCoding.h"
#include "support/SampleProfiles.h"

#include <ranges>

#include <QTest>
#include <nlohmann/json.hpp>

using namespace thrumwise;
using nlohmann::ordered_json;
using Strings = std::vector<std::string>;

class ProfileCodingTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void roundTripKeepsEveryFieldWrittenInFieldOrder() {
        KeyMapping key = test::keyMapping("K", 65535, "sharp_collision",
                                          {ModifierKey::command, ModifierKey::shift});
        key.keyName = "Ω";
        key.cooldownMs = -5;
        key.triggerOnHold = true;
        key.holdRepeatIntervalMs = 51;
        KeyMapping mouse = test::mouseMapping("R", MouseButton::right, "knock");
        mouse.cooldownMs = std::numeric_limits<std::int64_t>::max();
        GameProfile first = test::profile("P1", "Arena \"quoted\" \\ \n\t\x01\x1f", "arena",
                                          {key, test::keyMapping("U", 0, "x"), mouse});
        first.isEnabled = false;
        first.blockPressmint = true;
        first.updatedAt = *parseIsoDate("0000-01-01T00:00:00Z");
        const std::vector<GameProfile> profiles{first, test::profile("P2", "", "")};
        QVERIFY(decodeProfiles(encodeProfiles(profiles)) == profiles);
        QCOMPARE(encodeProfiles({}), std::string("[]"));
        // Dates are written in whole seconds, and only with four-digit years; text only as UTF-8.
        GameProfile profile = test::profile("P", "Arena", "b");
        profile.createdAt += std::chrono::milliseconds(999);
        profile.updatedAt -= std::chrono::microseconds(1);
        const GameProfile decoded = decodeProfiles(encodeProfiles({profile}))[0];
        QCOMPARE(*formatIsoDate(decoded.createdAt), std::string("2026-03-01T10:20:30Z"));
        QCOMPARE(*formatIsoDate(decoded.updatedAt), std::string("2026-03-01T10:20:29Z"));
        profile.updatedAt = *parseIsoDate("9999-12-31T23:59:59Z") + std::chrono::seconds(1);
        QVERIFY_THROWS_EXCEPTION(ProfileCodingError, encodeProfiles({profile}));
        profile = test::profile("P", "bad \xff name", "b");
        QVERIFY_THROWS_EXCEPTION(ProfileCodingError, encodeProfiles({profile}));
        // Keys are read in any order, unknown ones and null optionals passed over; they are
        // written in field order without absent optionals, two spaces per level, one per line.
        const std::string text = encodeProfiles(decodeProfiles(R"([{
            "future": {"nested": [1, 2]},
            "updatedAt": "2024-02-29T23:59:59Z", "createdAt": "1970-01-01T00:00:00Z",
            "blockPressmint": true, "isEnabled": false, "bundleId": "b", "displayName": "d",
            "mappings": [{
                "holdRepeatIntervalMs": 20, "triggerOnHold": true, "requiredModifiers": ["shift"],
                "cooldownMs": 160.0, "hapticPattern": "knock", "mouseButton": null,
                "keyName": "S", "keyCode": 12, "triggerType": "keyboard", "id": "K", "extra": null
            }, {
                "keyName": null, "keyCode": null, "mouseButton": "left", "triggerType": "mouse",
                "id": "M", "hapticPattern": "w", "cooldownMs": 0, "requiredModifiers": [],
                "triggerOnHold": false, "holdRepeatIntervalMs": 0
            }],
            "id": "P"
        }])"));
        const std::string expected =
            R"({"id":"P","displayName":"d","bundleId":"b","mappings":[{"id":"K",)"
            R"("triggerType":"keyboard","keyCode":12,"keyName":"S","hapticPattern":"knock",)"
            R"("cooldownMs":160,"requiredModifiers":["shift"],"triggerOnHold":true,)"
            R"("holdRepeatIntervalMs":20},{"id":"M","triggerType":"mouse","mouseButton":"left",)"
            R"("hapticPattern":"w","cooldownMs":0,"requiredModifiers":[],"triggerOnHold":false,)"
            R"("holdRepeatIntervalMs":0}],"isEnabled":false,"blockPressmint":true,)"
            R"("createdAt":"1970-01-01T00:00:00Z","updatedAt":"2024-02-29T23:59:59Z"})";
        QCOMPARE(ordered_json::parse(text)[0].dump(), expected);
        QVERIFY(text.starts_with("[\n  {\n    \"id\": \"P\",\n"));
        QVERIFY(text.find("\n    \"createdAt\": \"1970-01-01T00:00:00Z\",\n") != std::string::npos);
        QVERIFY(text.find("\"requiredModifiers\": [],") != std::string::npos);
    }

    // A spoilt document, or one spoilt value in the second profile, fails the whole file and names
    // the place: a key of the profile ("p:") or its mapping ("m:"), values to refuse ("-": none).
    void rejectsMalformedDocumentsAndValues() {
        KeyMapping mapping = test::keyMapping("M1", 0, "wave", {ModifierKey::shift});
        mapping.keyName = "A";
        const ordered_json valid = ordered_json::parse(
            encodeProfiles({test::profile("P1", "Arena", "com.example.arena", {mapping})}))[0];
        std::vector<std::pair<std::string, Strings>> cases{
            {"", {"not valid JSON"}},
            {R"([{"id": "p", "displayName")", {"not valid JSON (at profile 0)"}},
            {"[" + valid.dump() + ",]", {"not valid JSON (at profile 1)"}},
            {"[] []", {"more than one JSON value"}},
            {R"({"id": "p"})", {"array of profiles"}},
            {"[42]", {"profile 0: should be an object, not a number"}}};
        for (const std::string& spoils :
             Strings{"m:cooldownMs=\"160\"|1.5|1e19|-", "m:holdRepeatIntervalMs=true|-",
                     "m:triggerOnHold=null|-", "m:keyCode=-1|65536", "m:keyName=3",
                     "m:requiredModifiers=\"shift\"|[\"fn\"]|[\"Shift\"]|-",
                     "m:triggerType=\"Keyboard\"|-", "m:mouseButton=\"middle\"", "m:id=-",
                     "m:hapticPattern=-", "p:id=-", "p:displayName=null|-", "p:bundleId=-",
                     "p:mappings={}|-", "p:isEnabled=1|-", "p:blockPressmint=-",
                     "p:createdAt=\"2026-03-01T10:20:30.5Z\"|\"2026-03-01T10:20:30+01:00\"|-",
                     "p:updatedAt=\"2026-03-01 10:20:30Z\"|\"2026-13-01T10:20:30Z\"|-",
                     "p:updatedAt=\"2026-02-30T10:20:30Z\"|\"2026-02-03T24:00:00Z\""}) {
            const std::size_t equals = spoils.find('=');
            const std::string key = spoils.substr(2, equals - 2),
                              values = spoils.substr(equals + 1);
            for (const auto part : std::views::split(values, '|')) {
                const std::string value(part.begin(), part.end());
                ordered_json spoilt = valid;
                ordered_json& object = spoils[0] == 'p' ? spoilt : spoilt["mappings"][0];
                if (value == "-") {
                    object.erase(key);
                } else {
                    object[key] = ordered_json::parse(value);
                }
                cases.push_back(
                    {ordered_json{valid, spoilt}.dump(), {"profile 1", "key \"" + key + "\" "}});
            }
        }
        for (const auto& [json, fragments] : cases) {
            std::string error;
            try {
                decodeProfiles(json);
            } catch (const ProfileCodingError& failure) {
                error = failure.what();
            }
            for (const std::string& fragment : fragments) {
                QVERIFY2(error.find(fragment) != std::string::npos, (json + ": " + error).c_str());
            }
        }
    }
};

QTEST_GUILESS_MAIN(ProfileCodingTest)
#include "ProfileCodingTest.moc"

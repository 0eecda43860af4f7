#pragma once

#include <optional>
#include <vector>

#include <QByteArrayView>
#include <QString>

namespace thrumwise {

// Steam's text key-value format (.vdf, .acf): quoted or bare keys, each followed by a quoted or
// bare value or by a braced section of further pairs; "//" comments; \n \t \\ \" escapes in
// quoted text. Platform conditions such as [$WIN32] are skipped, so every pair is kept.
class ValveKeyValues {
public:
    static constexpr int maxNesting = 32;

    // The top-level pairs as the children of an unnamed section; nothing when the text is
    // malformed (an unterminated string, unbalanced braces, a key without value) or nested deeper
    // than maxNesting.
    static std::optional<ValveKeyValues> parse(QByteArrayView text);

    const QString& key() const { return key_; }
    // Empty for a section.
    const QString& value() const { return value_; }
    bool isSection() const { return isSection_; }
    // In file order, repeated keys included.
    const std::vector<ValveKeyValues>& children() const { return children_; }

    // The first child with the key, compared without regard to case as Steam does; or nullptr.
    const ValveKeyValues* child(QStringView key) const;

private:
    friend class ValveKeyValuesParser;

    QString key_;
    QString value_;
    bool isSection_ = false;
    std::vector<ValveKeyValues> children_;
};

}  // namespace thrumwise

#include "discovery/ValveKeyValues.h"

namespace thrumwise {

namespace {

struct Token {
    enum class Kind { End, Open, Close, Text, Error };
    Kind kind = Kind::End;
    QString text;
};

class Tokenizer {
public:
    explicit Tokenizer(QByteArrayView text) : text_(text) {}

    Token next() {
        if (!skipIgnored()) {
            return {Token::Kind::Error, {}};
        }
        if (at_ >= text_.size()) {
            return {Token::Kind::End, {}};
        }
        const char c = text_[at_];
        if (c == '{' || c == '}') {
            ++at_;
            return {c == '{' ? Token::Kind::Open : Token::Kind::Close, {}};
        }
        return c == '"' ? quoted() : bare();
    }

private:
    static bool isSpace(char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
    }

    bool startsComment() const {
        return text_[at_] == '/' && at_ + 1 < text_.size() && text_[at_ + 1] == '/';
    }

    // White space, comments and platform conditions; false on an unterminated condition.
    bool skipIgnored() {
        while (at_ < text_.size()) {
            if (isSpace(text_[at_])) {
                ++at_;
            } else if (startsComment()) {
                const qsizetype end = text_.indexOf('\n', at_);
                at_ = end < 0 ? text_.size() : end + 1;
            } else if (text_[at_] == '[') {
                const qsizetype end = text_.indexOf(']', at_);
                if (end < 0) {
                    return false;
                }
                at_ = end + 1;
            } else {
                return true;
            }
        }
        return true;
    }

    Token quoted() {
        QByteArray bytes;
        for (++at_; at_ < text_.size(); ++at_) {
            char c = text_[at_];
            if (c == '"') {
                ++at_;
                return {Token::Kind::Text, QString::fromUtf8(bytes)};
            }
            if (c == '\\' && at_ + 1 < text_.size()) {
                const char escaped = text_[at_ + 1];
                if (escaped == 'n' || escaped == 't' || escaped == '\\' || escaped == '"') {
                    ++at_;
                    c = escaped == 'n' ? '\n' : escaped == 't' ? '\t' : escaped;
                }
            }
            bytes.append(c);
        }
        return {Token::Kind::Error, {}};
    }

    Token bare() {
        const qsizetype start = at_;
        while (at_ < text_.size() && !isSpace(text_[at_]) && text_[at_] != '"' &&
               text_[at_] != '{' && text_[at_] != '}' && !startsComment()) {
            ++at_;
        }
        return {Token::Kind::Text, QString::fromUtf8(text_.sliced(start, at_ - start))};
    }

    QByteArrayView text_;
    qsizetype at_ = 0;
};

}  // namespace

class ValveKeyValuesParser {
public:
    explicit ValveKeyValuesParser(QByteArrayView text) : tokens_(text) {}

    // The pairs up to the closing brace of a section, or up to the end at the top level.
    bool parseSection(ValveKeyValues& section, int depth) {
        section.isSection_ = true;
        for (;;) {
            Token key = tokens_.next();
            if (key.kind == Token::Kind::End || key.kind == Token::Kind::Close) {
                return (key.kind == Token::Kind::End) == (depth == 0);
            }
            if (key.kind != Token::Kind::Text) {
                return false;
            }
            ValveKeyValues pair;
            pair.key_ = std::move(key.text);
            Token value = tokens_.next();
            if (value.kind == Token::Kind::Text) {
                pair.value_ = std::move(value.text);
            } else if (value.kind != Token::Kind::Open || depth + 1 > ValveKeyValues::maxNesting ||
                       !parseSection(pair, depth + 1)) {
                return false;
            }
            section.children_.push_back(std::move(pair));
        }
    }

private:
    Tokenizer tokens_;
};

std::optional<ValveKeyValues> ValveKeyValues::parse(QByteArrayView text) {
    ValveKeyValues root;
    if (!ValveKeyValuesParser(text).parseSection(root, 0)) {
        return std::nullopt;
    }
    return root;
}

const ValveKeyValues* ValveKeyValues::child(QStringView key) const {
    for (const ValveKeyValues& candidate : children_) {
        if (candidate.key_.compare(key, Qt::CaseInsensitive) == 0) {
            return &candidate;
        }
    }
    return nullptr;
}

}  // namespace thrumwise

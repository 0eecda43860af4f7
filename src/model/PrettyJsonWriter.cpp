#include "model/PrettyJsonWriter.h"

#include <array>
#include <charconv>
#include <simdjson.h>

namespace thrumwise {

void PrettyJsonWriter::beginObject() {
    open('{');
}
void PrettyJsonWriter::endObject() {
    close('}');
}
void PrettyJsonWriter::beginArray() {
    open('[');
}
void PrettyJsonWriter::endArray() {
    close(']');
}

void PrettyJsonWriter::key(std::string_view name) {
    beforeValue();
    writeEscaped(name);
    out_ += ": ";
    afterKey_ = true;
}

void PrettyJsonWriter::value(std::string_view text) {
    beforeValue();
    writeEscaped(text);
}

void PrettyJsonWriter::value(std::int64_t number) {
    beforeValue();
    std::array<char, 24> digits{};
    const auto result = std::to_chars(digits.begin(), digits.end(), number);
    out_.append(digits.data(), result.ptr);
}

void PrettyJsonWriter::value(bool flag) {
    beforeValue();
    out_ += flag ? "true" : "false";
}

// A key has already placed its value; anything else starts a new element.
void PrettyJsonWriter::beforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (emptyContainers_.empty()) {
        return;
    }
    if (!emptyContainers_.back()) {
        out_ += ',';
    }
    emptyContainers_.back() = false;
    newLine();
}

void PrettyJsonWriter::newLine() {
    out_ += '\n';
    out_.append(emptyContainers_.size() * 2, ' ');
}

void PrettyJsonWriter::open(char bracket) {
    beforeValue();
    out_ += bracket;
    emptyContainers_.push_back(true);
}

void PrettyJsonWriter::close(char bracket) {
    const bool wasEmpty = emptyContainers_.back();
    emptyContainers_.pop_back();
    if (!wasEmpty) {
        newLine();
    }
    out_ += bracket;
}

void PrettyJsonWriter::writeEscaped(std::string_view text) {
    if (!simdjson::validate_utf8(text.data(), text.size())) {
        throw InvalidText("text that is not UTF-8");
    }
    static constexpr std::string_view hex = "0123456789abcdef";
    out_ += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '"':
                out_ += "\\\"";
                break;
            case '\\':
                out_ += "\\\\";
                break;
            case '\b':
                out_ += "\\b";
                break;
            case '\f':
                out_ += "\\f";
                break;
            case '\n':
                out_ += "\\n";
                break;
            case '\r':
                out_ += "\\r";
                break;
            case '\t':
                out_ += "\\t";
                break;
            default:
                if (byte < 0x20) {
                    out_ += "\\u00";
                    out_ += hex[byte >> 4];
                    out_ += hex[byte & 0xF];
                } else {
                    out_ += c;
                }
        }
    }
    out_ += '"';
}

}  // namespace thrumwise

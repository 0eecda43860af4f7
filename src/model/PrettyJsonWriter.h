#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace thrumwise {

// Writes indented JSON (two spaces, one member per line, "key": value) straight
// into a string, in the order the caller gives. Text must be UTF-8.
class PrettyJsonWriter {
public:
    class InvalidText : public std::invalid_argument {
    public:
        using std::invalid_argument::invalid_argument;
    };

    void beginObject();
    void endObject();
    void beginArray();
    void endArray();

    void key(std::string_view name);
    // Throws InvalidText for text that is not UTF-8.
    void value(std::string_view text);
    void value(std::int64_t number);
    void value(bool flag);

    std::string take() { return std::move(out_); }

private:
    void beforeValue();
    void newLine();
    void open(char bracket);
    void close(char bracket);
    void writeEscaped(std::string_view text);

    std::string out_;
    // One entry per open container: whether it has no element yet.
    std::vector<bool> emptyContainers_;
    bool afterKey_ = false;
};

}  // namespace thrumwise

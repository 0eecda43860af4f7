#include "model/IsoDate.h"

#include <array>
#include <cstdio>

namespace thrumwise {

namespace {

constexpr std::size_t kIsoDateLength = 20;  // YYYY-MM-DDTHH:MM:SSZ

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads a run of digits the caller has already checked.
int digitsAt(std::string_view text, std::size_t pos, std::size_t count) {
    int value = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

bool hasIsoShape(std::string_view text) {
    if (text.size() != kIsoDateLength) {
        return false;
    }
    constexpr std::string_view pattern = "dddd-dd-ddTdd:dd:ddZ";
    for (std::size_t i = 0; i < kIsoDateLength; ++i) {
        const bool matches = pattern[i] == 'd' ? isDigit(text[i]) : text[i] == pattern[i];
        if (!matches) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<std::string> formatIsoDate(Timestamp instant) {
    using namespace std::chrono;
    const auto secondsSinceEpoch = floor<seconds>(instant);
    const auto day = floor<days>(secondsSinceEpoch);
    const year_month_day date{day};
    const hh_mm_ss time{secondsSinceEpoch - day};
    const int yearValue = static_cast<int>(date.year());
    if (yearValue < 0 || yearValue > 9999) {
        return std::nullopt;
    }
    std::array<char, 32> buffer{};
    const int length = std::snprintf(
        buffer.data(), buffer.size(), "%04d-%02u-%02uT%02d:%02d:%02dZ", yearValue,
        static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
        static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
        static_cast<int>(time.seconds().count()));
    return std::string(buffer.data(), static_cast<std::size_t>(length));
}

std::optional<Timestamp> parseIsoDate(std::string_view text) {
    using namespace std::chrono;
    if (!hasIsoShape(text)) {
        return std::nullopt;
    }
    const year_month_day date{year{digitsAt(text, 0, 4)},
                              month{static_cast<unsigned>(digitsAt(text, 5, 2))},
                              day{static_cast<unsigned>(digitsAt(text, 8, 2))}};
    const int hour = digitsAt(text, 11, 2);
    const int minute = digitsAt(text, 14, 2);
    const int second = digitsAt(text, 17, 2);
    if (!date.ok() || hour > 23 || minute > 59 || second > 59) {
        return std::nullopt;
    }
    return sys_days{date} + hours{hour} + minutes{minute} + seconds{second};
}

}  // namespace thrumwise

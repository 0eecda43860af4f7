#include "input/KeyNames.h"

#include <array>

namespace thrumwise {

namespace {

constexpr std::size_t kHighestNamedCode = 126;

constexpr std::array<std::string_view, kHighestNamedCode + 1> buildTable() {
    std::array<std::string_view, kHighestNamedCode + 1> names{};
    constexpr std::string_view row = "ASDFHGZXCV";  // codes 0 to 9
    for (std::size_t i = 0; i < row.size(); ++i) {
        names[i] = row.substr(i, 1);
    }
    names[11] = "B", names[12] = "Q", names[13] = "W", names[14] = "E", names[15] = "R";
    names[16] = "Y", names[17] = "T", names[18] = "1", names[19] = "2", names[20] = "3";
    names[21] = "4", names[22] = "6", names[23] = "5", names[24] = "=", names[25] = "9";
    names[26] = "7", names[27] = "-", names[28] = "8", names[29] = "0", names[30] = "]";
    names[31] = "O", names[32] = "U", names[33] = "[", names[34] = "I", names[35] = "P";
    names[36] = "Return", names[37] = "L", names[38] = "J", names[39] = "'", names[40] = "K";
    names[41] = ";", names[42] = "\\", names[43] = ",", names[44] = "/", names[45] = "N";
    names[46] = "M", names[47] = ".", names[48] = "Tab", names[49] = "Space", names[50] = "`";
    names[51] = "Delete", names[53] = "Escape";
    names[96] = "F5", names[97] = "F6", names[98] = "F7", names[99] = "F3", names[100] = "F8";
    names[101] = "F9", names[103] = "F11", names[105] = "F13", names[107] = "F14";
    names[109] = "F10", names[111] = "F12", names[113] = "F15", names[118] = "F4";
    names[120] = "F2", names[122] = "F1";
    names[123] = "Left", names[124] = "Right", names[125] = "Down", names[126] = "Up";
    return names;
}

constexpr auto kNames = buildTable();

}  // namespace

std::optional<std::string_view> inputKeyName(std::uint16_t keyCode) {
    if (keyCode > kHighestNamedCode || kNames[keyCode].empty()) {
        return std::nullopt;
    }
    return kNames[keyCode];
}

}  // namespace thrumwise

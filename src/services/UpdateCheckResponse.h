#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace thrumwise {

// The update endpoint's answer.
struct UpdateCheckResponse {
    bool success = false;
    bool updateAvailable = false;
    bool forceUpdate = false;
    std::optional<std::string> latestVersion;
    std::optional<std::string> downloadUrl;
    std::optional<std::string> releaseNotes;

    // Nothing unless the text is a JSON object with the three booleans as
    // booleans and each optional key a string, null or missing.
    static std::optional<UpdateCheckResponse> decode(std::string_view json);
};

}  // namespace thrumwise

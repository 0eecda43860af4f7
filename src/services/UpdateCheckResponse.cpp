#include "services/UpdateCheckResponse.h"

#include <nlohmann/json.hpp>

namespace thrumwise {

namespace {

using Json = nlohmann::json;

struct Undecodable {};

bool requiredBoolean(const Json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_boolean()) {
        throw Undecodable{};
    }
    return found->get<bool>();
}

std::optional<std::string> optionalString(const Json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || found->is_null()) {
        return std::nullopt;
    }
    if (!found->is_string()) {
        throw Undecodable{};
    }
    return found->get<std::string>();
}

}  // namespace

std::optional<UpdateCheckResponse> UpdateCheckResponse::decode(std::string_view json) {
    const Json document = Json::parse(json, nullptr, false);
    if (!document.is_object()) {
        return std::nullopt;  // also what a parse error gives
    }
    try {
        UpdateCheckResponse response;
        response.success = requiredBoolean(document, "success");
        response.updateAvailable = requiredBoolean(document, "update_available");
        response.forceUpdate = requiredBoolean(document, "force_update");
        response.latestVersion = optionalString(document, "latest_version");
        response.downloadUrl = optionalString(document, "download_url");
        response.releaseNotes = optionalString(document, "release_notes");
        return response;
    } catch (const Undecodable&) {
        return std::nullopt;
    }
}

}  // namespace thrumwise

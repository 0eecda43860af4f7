// Any bytes as the update endpoint's answer: a response or nothing, never a
// crash, a hang or a leak. A response read is written as the smallest answer
// that says the same and read again: it must come back field for field.
#include "services/UpdateCheckResponse.h"

#include <cstddef>
#include <cstdint>

#include <nlohmann/json.hpp>

namespace {

using thrumwise::UpdateCheckResponse;

void put(nlohmann::json& object, const char* key, const std::optional<std::string>& value) {
    if (value) {
        object[key] = *value;
    }
}

bool same(const UpdateCheckResponse& a, const UpdateCheckResponse& b) {
    return a.success == b.success && a.updateAvailable == b.updateAvailable &&
           a.forceUpdate == b.forceUpdate && a.latestVersion == b.latestVersion &&
           a.downloadUrl == b.downloadUrl && a.releaseNotes == b.releaseNotes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view json(reinterpret_cast<const char*>(data), size);
    const auto response = UpdateCheckResponse::decode(json);
    if (!response) {
        return 0;
    }
    nlohmann::json minimal = {{"success", response->success},
                              {"update_available", response->updateAvailable},
                              {"force_update", response->forceUpdate}};
    put(minimal, "latest_version", response->latestVersion);
    put(minimal, "download_url", response->downloadUrl);
    put(minimal, "release_notes", response->releaseNotes);
    const auto again = UpdateCheckResponse::decode(minimal.dump());
    if (!again || !same(*again, *response)) {
        __builtin_trap();
    }
    return 0;
}

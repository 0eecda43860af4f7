// Any bytes as a profiles file: a list or a ProfileCodingError, never a crash,
// a hang or a leak. A list that decodes is written back and read again: it must
// come back equal, and writing it again must give the same bytes, so a save
// after a load never changes what the file means.
#include "model/ProfileCoding.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view json(reinterpret_cast<const char*>(data), size);
    std::vector<thrumwise::GameProfile> profiles;
    try {
        profiles = thrumwise::decodeProfiles(json);
    } catch (const thrumwise::ProfileCodingError&) {
        return 0;
    }
    // Whatever decoded has a JSON form: these throw nothing.
    const std::string written = thrumwise::encodeProfiles(profiles);
    if (thrumwise::decodeProfiles(written) != profiles ||
        thrumwise::encodeProfiles(thrumwise::decodeProfiles(written)) != written) {
        __builtin_trap();
    }
    return 0;
}

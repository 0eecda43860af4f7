#include "platform/FrontmostApplicationSource.h"
#include "platform/GlobalEventSource.h"
#include "platform/PermissionProbe.h"
#include "platform/PlatformBackend.h"

namespace thrumwise {

namespace {

// For builds without a desktop: nothing to grant, no input, no application in
// front. The core runs as usual and simply never hears of anything.
class NullPlatformBackend final : public PlatformBackend,
                                  GlobalEventSource,
                                  FrontmostApplicationSource,
                                  PermissionProbe {
public:
    GlobalEventSource& globalEventSource() override { return *this; }
    FrontmostApplicationSource& frontmostApplicationSource() override { return *this; }
    PermissionProbe& permissionProbe() override { return *this; }

private:
    bool start(EventHandler /*onEvent*/, LostHandler /*onLost*/) override { return true; }
    void stop() override {}
    std::optional<FrontmostApplication> frontmostApplication() override { return std::nullopt; }
    bool isAccessibilityGranted() override { return true; }
    bool isInputMonitoringGranted() override { return true; }
};

}  // namespace

std::unique_ptr<PlatformBackend> createPlatformBackend(Logger& /*logger*/) {
    return std::make_unique<NullPlatformBackend>();
}

}  // namespace thrumwise

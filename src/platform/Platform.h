#pragma once

namespace thrumwise {

class FrontmostApplicationSource;
class GlobalEventSource;
class PermissionProbe;

// The platform's implementations, chosen when the project is configured.
namespace platform {

GlobalEventSource& globalEventSource();
FrontmostApplicationSource& frontmostApplicationSource();
PermissionProbe& permissionProbe();

}  // namespace platform
}  // namespace thrumwise

#include "shell/Registry.h"

namespace {
Registry* s_override = nullptr;

// No platform this program is built for has a registry; a Windows build
// would return its implementation here.
Registry* platformRegistry()
{
    return nullptr;
}
} // namespace

Registry* activeRegistry()
{
    return s_override ? s_override : platformRegistry();
}

void setActiveRegistry(Registry* registry)
{
    s_override = registry;
}

#include "base/ServiceSlots.h"

#include <mutex>

namespace kv {

namespace {

struct Registry {
    std::mutex lock;
    std::vector<ServiceSlotInfo> slots;
};

Registry& TheRegistry()
{
    static Registry registry;
    return registry;
}

} // namespace

ServiceSlotRegistration::ServiceSlotRegistration(const char* name, bool (*installed)())
{
    Registry& r = TheRegistry();
    const std::lock_guard<std::mutex> guard(r.lock);
    r.slots.push_back({name, installed});
}

std::vector<ServiceSlotInfo> RegisteredServiceSlots()
{
    Registry& r = TheRegistry();
    const std::lock_guard<std::mutex> guard(r.lock);
    return r.slots;
}

} // namespace kv

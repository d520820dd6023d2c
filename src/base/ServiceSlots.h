// The list of process-wide service slots: the places where a lower layer calls the program
// around it (dialogs, renderers, frame requests, clocks, editors). Each slot registers here
// beside its Set function, with its name (the Set function's name without "Set") and a test
// that tells whether the program has installed its own object in place of the default.
// The start-up test walks this list over the real application, so a service cannot be left
// to the tests.
#pragma once

#include <string>
#include <vector>

namespace kv {

struct ServiceSlotInfo {
    std::string name;
    bool (*installed)() = nullptr;
};

// Registers a slot from a static object of the file that holds it.
class ServiceSlotRegistration {
public:
    ServiceSlotRegistration(const char* name, bool (*installed)());
};

// Every slot registered so far (all of them once static initialisation is over), in
// registration order.
std::vector<ServiceSlotInfo> RegisteredServiceSlots();

} // namespace kv

#include "base/MessageService.h"

#include "base/ServiceSlots.h"

#include <atomic>
#include <cstdio>

namespace kv {

namespace {

class StderrMessages final : public MessageService {
public:
    void Show(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
};

StderrMessages g_stderrMessages;
std::atomic<MessageService*> g_messages{nullptr};
thread_local MessageService* t_messages = nullptr;

} // namespace

MessageService* SetThreadMessageService(MessageService* service)
{
    MessageService* old = t_messages;
    t_messages = service;
    return old;
}

MessageService& GetMessageService()
{
    if (t_messages != nullptr)
        return *t_messages;
    MessageService* s = g_messages.load(std::memory_order_acquire);
    return s ? *s : static_cast<MessageService&>(g_stderrMessages);
}

MessageService* SetMessageService(MessageService* service)
{
    return g_messages.exchange(service, std::memory_order_acq_rel);
}

namespace {

const ServiceSlotRegistration kMessageServiceSlot("MessageService", [] { return g_messages.load() != nullptr; });

} // namespace

} // namespace kv

#include "document/DocumentContext.h"

#include "base/ServiceSlots.h"
#include "document/CKVDoc.h"

#include <atomic>

namespace kv {

namespace {
std::atomic<DocumentContext*> g_context{nullptr};
} // namespace

DocumentContext* SetDocumentContext(DocumentContext* context)
{
    return g_context.exchange(context, std::memory_order_acq_rel);
}

CKVDoc* GetActiveDoc()
{
    DocumentContext* context = g_context.load(std::memory_order_acquire);
    return context != nullptr ? context->GetActiveDoc() : nullptr;
}

int UpdateActiveDocViews(const void* sender, int hint, const HintObject* object)
{
    CKVDoc* doc = GetActiveDoc();
    if (doc == nullptr)
        return -1;
    doc->UpdateAllViews(sender, hint, object);
    return 0;
}

namespace {

const ServiceSlotRegistration kDocumentContextSlot("DocumentContext", [] { return g_context.load() != nullptr; });

} // namespace

} // namespace kv

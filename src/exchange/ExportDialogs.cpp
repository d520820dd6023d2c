#include "exchange/ExportDialogs.h"

#include "base/ServiceSlots.h"

namespace kv {

namespace {

ExportDialogs g_defaultDialogs;
ExportDialogs* g_dialogs = nullptr;

} // namespace

ExportDialogs& GetExportDialogs()
{
    return g_dialogs != nullptr ? *g_dialogs : g_defaultDialogs;
}

ExportDialogs* SetExportDialogs(ExportDialogs* dialogs)
{
    ExportDialogs* previous = g_dialogs;
    g_dialogs = dialogs;
    return previous;
}

namespace {

const ServiceSlotRegistration kExportDialogsSlot("ExportDialogs", [] { return g_dialogs != nullptr; });

} // namespace

} // namespace kv

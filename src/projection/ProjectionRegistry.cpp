#include "projection/ProjectionRegistry.h"

#include "platform/DynamicLibrary.h"
#include "projection/MapComposite.h"
#include "projection/builtin/BuiltinProjections.h"
#include "base/text/CTokenizer.h"

#include <filesystem>
#include <memory>
#include <new>

namespace kv {

namespace {
std::mutex g_singletonLock;
ProjectionRegistry* g_registry = nullptr;

// Calls a creator, which may live in a plug-in: nothing may escape from it.
MapProject* CallCreator(ProjectionCreator creator)
{
    try {
        return creator();
    } catch (...) {
        return nullptr;
    }
}
} // namespace

ProjectionRegistry& ProjectionRegistry::Get()
{
    {
        std::lock_guard<std::mutex> lock(g_singletonLock);
        if (g_registry)
            return *g_registry;
    }
    // Built outside the singleton lock: the constructor takes the registry's own lock, and a
    // loading registry reaches Get() while holding that lock, so holding both here in the
    // other order could deadlock. The loser of a race frees its copy.
    std::unique_ptr<ProjectionRegistry> made(new ProjectionRegistry());
    std::lock_guard<std::mutex> lock(g_singletonLock);
    if (!g_registry)
        g_registry = made.release();
    return *g_registry;
}

void ProjectionRegistry::Destroy()
{
    ProjectionRegistry* registry;
    {
        std::lock_guard<std::mutex> lock(g_singletonLock);
        registry = g_registry;
    }
    if (!registry)
        return;
    // Emptied while still reachable: freeing a composite hands its segments' instances back
    // through Get().
    registry->Clear();
    {
        std::lock_guard<std::mutex> lock(g_singletonLock);
        g_registry = nullptr;
    }
    delete registry;
}

ProjectionRegistry::ProjectionRegistry()
{
    // The built-ins need nothing outside the program: they are there from the start, and
    // win every id conflict with plug-ins and composites.
    for (const BuiltinProjection& builtin : BuiltinProjections())
        RegisterCreator(builtin.create, nullptr, -1);
}

ProjectionRegistry::~ProjectionRegistry()
{
    Clear();
}

void ProjectionRegistry::Clear()
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    for (int id = 0; id < kSlots; ++id)
        FreeSlot(id);
}

void ProjectionRegistry::FreeSlot(int id)
{
    if (!m_slots[id])
        return;
    // Instances first: a plug-in's instances are freed by code inside its library. They
    // leave the record before they are freed, since freeing a composite copy hands back
    // instances of other ids.
    std::vector<MapProject*> instances;
    for (auto it = m_outstanding.begin(); it != m_outstanding.end();) {
        if (it->second == id) {
            instances.push_back(it->first);
            it = m_outstanding.erase(it);
        } else {
            ++it;
        }
    }
    for (MapProject* p : instances)
        delete p;
    std::unique_ptr<Entry> entry = std::move(m_slots[id]);
    entry->composite.reset();
    entry->module.reset();
}

int ProjectionRegistry::Load(const std::string& folder)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    namespace fs = std::filesystem;
    // No folder, no plug-ins and no composites: never whatever the working folder holds.
    if (folder.empty())
        return 0;
    LoadPlugins(folder);
    LoadComposites((fs::path(folder) / kCompositeDefinitionFile).string());
    return 0;
}

bool ProjectionRegistry::LoadAtStartup(const std::string& folder, const std::function<void(const std::string&)>& report)
{
    try {
        Load(folder);
        return true;
    } catch (const std::exception&) {
        if (report)
            report(kProjectionRegistryErrorText);
        return false;
    }
}

void ProjectionRegistry::LoadPlugins(const std::string& folder)
{
    for (const std::string& path : ListFilesWithSuffix(folder, ".so")) {
        std::unique_ptr<DynamicLibrary> library = DynamicLibrary::Open(path);
        if (!library)
            continue;
        auto create = library->Function<ProjectionCreator>(kCreateProjectionExport);
        if (!create || !library->Symbol(kClassProjectionExport))
            continue; // not a projection plug-in: unloaded here
        // A refused plug-in gives its library back, which is then unloaded.
        RegisterCreator(create, std::move(library), -1);
    }
}

void ProjectionRegistry::LoadComposites(const std::string& path)
{
    CTokenizer tokenizer;
    if (tokenizer.Open(path, false) != 0)
        return;
    while (tokenizer.GetToken() != kTokEnd) {
        if (tokenizer.GetToken() != kw::Projection) {
            tokenizer.NextToken();
            continue;
        }
        auto composite = std::make_unique<MapComposite>();
        if (composite->Parse(tokenizer) == 0)
            RegisterInstance(std::move(composite));
        if (tokenizer.GetToken() == kw::EndProjection)
            tokenizer.NextToken();
    }
    tokenizer.Close();
}

int ProjectionRegistry::RegisterCreator(ProjectionCreator creator, std::unique_ptr<DynamicLibrary> module, int id)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    if (!creator)
        return kCreatorFailed;
    std::unique_ptr<MapProject> probe(CallCreator(creator));
    if (!probe)
        return kCreatorFailed;
    if (id == -1)
        id = probe->GetId();
    if (!ValidId(id))
        return kIdOutOfRange;
    if (m_slots[id])
        return kSlotTaken;
    auto entry = std::make_unique<Entry>();
    entry->name = probe->GetName() ? probe->GetName() : "";
    entry->flags = probe->GetFlags();
    entry->creator = creator;
    probe.reset(); // freed while its library is still loaded
    entry->module = std::move(module);
    m_slots[id] = std::move(entry);
    return 0;
}

bool ProjectionRegistry::RegisterInstance(std::unique_ptr<MapComposite> composite)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    if (!composite)
        return false;
    const int id = composite->GetId();
    if (!ValidId(id) || m_slots[id])
        return false;
    auto entry = std::make_unique<Entry>();
    entry->name = composite->GetName();
    entry->flags = composite->GetFlags();
    entry->composite = std::move(composite);
    m_slots[id] = std::move(entry);
    return true;
}

MapProject* ProjectionRegistry::CreateInstance(int id)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    if (!ValidId(id) || !m_slots[id])
        return nullptr;
    Entry& entry = *m_slots[id];
    MapProject* instance = nullptr;
    if (entry.creator)
        instance = CallCreator(entry.creator);
    else if (entry.composite)
        instance = entry.composite->Clone().release();
    if (instance)
        m_outstanding.emplace(instance, id);
    return instance;
}

bool ProjectionRegistry::ReleaseInstance(MapProject* instance)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    if (!instance)
        return true;
    auto it = m_outstanding.find(instance);
    if (it != m_outstanding.end()) {
        m_outstanding.erase(it);
        delete instance;
    }
    return true;
}

int ProjectionRegistry::FindByName(const std::string& name) const
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    for (int id = 0; id < kSlots; ++id)
        if (m_slots[id] && m_slots[id]->name == name)
            return id;
    return -1;
}

MapProject* ProjectionRegistry::CreateByName(const std::string& name)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    const int id = FindByName(name);
    return id < 0 ? nullptr : CreateInstance(id);
}

int ProjectionRegistry::FirstId() const
{
    return NextId(-1);
}

int ProjectionRegistry::NextId(int id) const
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    for (int next = id < -1 ? 0 : id + 1; next < kSlots; ++next)
        if (m_slots[next])
            return next;
    return kEndId;
}

std::string ProjectionRegistry::GetName(int id) const
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    return ValidId(id) && m_slots[id] ? m_slots[id]->name : std::string();
}

int ProjectionRegistry::GetFlags(int id) const
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    return ValidId(id) && m_slots[id] ? m_slots[id]->flags : 0;
}

bool ProjectionRegistry::IsRegistered(int id) const
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    return ValidId(id) && m_slots[id] != nullptr;
}

size_t ProjectionRegistry::OutstandingInstances() const
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    return m_outstanding.size();
}

} // namespace kv

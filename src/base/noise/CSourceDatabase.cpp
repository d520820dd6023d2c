#include "base/noise/CSourceDatabase.h"

#include "base/noise/BuiltinSources.h"

namespace kv {

namespace {

// A plug-in's texts must end inside their 128 bytes whatever the library wrote.
void TerminateNames(TexInfo& info)
{
    info.name[kTexNameLength - 1] = '\0';
    for (auto& name : info.extraNames)
        name[kTexNameLength - 1] = '\0';
}

std::unique_ptr<CSourceDatabase::SourceEntry> MakeBuiltinEntry(const BuiltinSourceOps& ops)
{
    auto entry = std::make_unique<CSourceDatabase::SourceEntry>();
    entry->info.size = kTexInfoSize;
    ops.getInfo(&entry->info);
    entry->parms.size = kTexParmsSize;
    ops.defaults(&entry->parms);
    entry->create = ops.create;
    entry->destroy = ops.destroy;
    entry->evaluate = ops.evaluate;
    entry->defaults = ops.defaults;
    entry->evaluateMany = ops.evaluateMany;
    return entry;
}

std::unique_ptr<CSourceDatabase::SourceEntry> LoadPlugin(const std::string& path)
{
    std::unique_ptr<DynamicLibrary> library = DynamicLibrary::Open(path);
    if (!library)
        return nullptr;
    const auto getInfo = library->Function<TexGetInfoFn>(kTexGetInfoExport);
    const auto create = library->Function<TexCreateFn>(kTexCreateExport);
    const auto destroy = library->Function<TexDestroyFn>(kTexDestroyExport);
    const auto evaluate = library->Function<TexEvalFn>(kTexEvalExport);
    const auto defaults = library->Function<TexDefaultFn>(kTexDefaultExport);
    if (!getInfo || !create || !destroy || !evaluate || !defaults)
        return nullptr; // the library is freed with `library`

    auto entry = std::make_unique<CSourceDatabase::SourceEntry>();
    entry->info.size = kTexInfoSize;
    getInfo(&entry->info);
    TerminateNames(entry->info);
    entry->fileName = library->Path();
    entry->library = std::move(library);
    entry->create = create;
    entry->destroy = destroy;
    entry->evaluate = evaluate;
    entry->defaults = defaults;
    return entry;
}

} // namespace

void CSourceDatabase::SourceEntry::Create(TexParms& p) const
{
    create(&p);
    if (!IsBuiltIn()) {
        TexParms probe = p;
        float unused = 0.0f;
        evaluate(&probe, &unused);
    }
}

void CSourceDatabase::SourceEntry::EvaluateMany(const TexParms& parms, int count, const double* x, const double* y,
                                                const double* z, float* out) const
{
    if (evaluateMany != nullptr) {
        evaluateMany(&parms, count, x, y, z, out);
        return;
    }
    for (int k = 0; k < count; ++k) {
        TexParms local = parms;
        local.point[0] = x[k];
        local.point[1] = y[k];
        local.point[2] = z[k];
        out[k] = Evaluate(local);
    }
}

void CSourceDatabase::SourceEntry::Destroy(TexParms& p) const
{
    destroy(&p);
}

CSourceDatabase::~CSourceDatabase()
{
    UnloadAll();
}

int CSourceDatabase::LoadSources(const std::string& folder)
{
    if (FindById(kRidgedMultifractalId) < 0 && FindById(kBrownianNoiseId) < 0) {
        m_entries.push_back(MakeBuiltinEntry(RidgedMultifractalSource()));
        m_entries.push_back(MakeBuiltinEntry(BrownianNoiseSource()));
    }
    for (const std::string& path : ListFilesWithSuffix(folder, kLibrarySuffix)) {
        if (auto entry = LoadPlugin(path))
            m_entries.push_back(std::move(entry));
    }
    return Count();
}

int CSourceDatabase::FindById(int id, const SourceEntry** entry) const
{
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i]->info.id == id) {
            if (entry)
                *entry = m_entries[i].get();
            return static_cast<int>(i);
        }
    }
    if (entry)
        *entry = nullptr;
    return -1;
}

CSourceDatabase::SourceList CSourceDatabase::ListSources(int selectId) const
{
    SourceList list;
    list.items.reserve(m_entries.size());
    for (const auto& e : m_entries) {
        if (list.selected < 0 && e->info.id == selectId)
            list.selected = static_cast<int>(list.items.size());
        list.items.push_back({e->info.name, e->info.id});
    }
    return list;
}

void CSourceDatabase::UnloadAll()
{
    m_entries.clear();
}

CSourceDatabase& GetSourceDatabase()
{
    static CSourceDatabase database;
    return database;
}

} // namespace kv

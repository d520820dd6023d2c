// The registry of noise sources: the two built-in sources (ids 0 and 1) and every
// plug-in library found in a folder.
//
// Use from a world:
//   const CSourceDatabase::SourceEntry* entry = nullptr;
//   if (GetSourceDatabase().FindById(id, &entry) >= 0) {
//       entry->Destroy(oldParms);   // the previous configuration, when there was one
//       entry->Create(parms);       // once per configuration, on the user-interface thread
//       TexParms local = parms;     // per sample: the evaluator's own 128-byte copy
//       local.point[0] = x; local.point[1] = y; local.point[2] = z;
//       float v = entry->Evaluate(local);
//   }
// or, for a run of points, entry->EvaluateMany(parms, count, x, y, z, values).
// Evaluate allocates nothing and takes no lock. A source may scale the sample point of
// the record in place (plug-ins do), so the point must be written before every call.
#pragma once

#include "platform/DynamicLibrary.h"
#include "base/noise/BuiltinSources.h"
#include "base/noise/TexRecords.h"

#include <memory>
#include <string>
#include <vector>

namespace kv {

class CSourceDatabase {
public:
    struct SourceEntry {
        std::string fileName;                    // full path of the library; empty for a built-in
        std::unique_ptr<DynamicLibrary> library; // null for a built-in
        TexInfo info{};
        TexParms parms{};                        // the built-ins' defaults; zero for a plug-in
        TexCreateFn create = nullptr;
        TexDestroyFn destroy = nullptr;
        TexEvalFn evaluate = nullptr;
        TexDefaultFn defaults = nullptr;
        SourceEvalManyFn evaluateMany = nullptr; // the built-ins' group form; null for a plug-in

        int Id() const { return info.id; }
        const char* Name() const { return info.name; }
        bool IsBuiltIn() const { return library == nullptr; }

        // Makes `parms` the source's configuration, then evaluates once on a private copy
        // so that whatever the source builds lazily (a plug-in's noise tables) is built
        // here, on the calling thread, and later evaluations only read shared state.
        void Create(TexParms& parms) const;
        void Destroy(TexParms& parms) const;
        // The source's value at parms.point (which the source may change).
        float Evaluate(TexParms& parms) const
        {
            float value = 0.0f;
            evaluate(&parms, &value);
            return value;
        }
        // The values at `count` points (x[k], y[k], z[k]) into out[k], each what Evaluate
        // gives on a fresh copy of `parms` with that point: the built-ins take the whole
        // group at once, a plug-in one point at a time.
        void EvaluateMany(const TexParms& parms, int count, const double* x, const double* y, const double* z,
                          float* out) const;
    };

    // One line of a source chooser: a source's name and id, in registry order.
    struct SourceChoice {
        std::string name;
        int id;
    };
    struct SourceList {
        std::vector<SourceChoice> items;
        int selected = -1; // index of the first item with the requested id, or -1
    };

    CSourceDatabase() = default;
    ~CSourceDatabase();
    CSourceDatabase(const CSourceDatabase&) = delete;
    CSourceDatabase& operator=(const CSourceDatabase&) = delete;

    // Adds the two built-ins unless an entry with id 0 or 1 is already registered, then
    // every library "*.so" of `folder` that exports all five operations (each loaded by
    // its full path; others are freed and skipped). Returns the number of entries.
    // Entries already registered stay where they are.
    int LoadSources(const std::string& folder);

    // Index of the first entry whose id is `id` (and the entry), or -1 (and null).
    int FindById(int id, const SourceEntry** entry = nullptr) const;

    // Every source's name and id in registry order, with the index of `selectId`.
    SourceList ListSources(int selectId) const;

    // Frees every library and empties the registry. The destructor calls it.
    void UnloadAll();

    int Count() const { return static_cast<int>(m_entries.size()); }
    const SourceEntry& Entry(int index) const { return *m_entries[static_cast<size_t>(index)]; }

    // The file suffix of source libraries searched by LoadSources.
    static constexpr const char* kLibrarySuffix = ".so";

private:
    // Entries are held by pointer so that references handed out stay valid while more
    // entries are appended.
    std::vector<std::unique_ptr<SourceEntry>> m_entries;
};

// The application's one registry. Start-up calls LoadSources with the program's folder
// before the first world is made; exit calls UnloadAll after the last world is gone.
CSourceDatabase& GetSourceDatabase();

} // namespace kv

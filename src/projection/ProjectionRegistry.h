// The process-wide table of every projection the user can choose, by id 0..255: the
// built-in projections, projections from plug-in libraries of the projection folder and
// composite projections defined in that folder's "Projection.txt".
//
// Made on first use (with the built-ins already registered, so that projections work before
// and without Load) and destroyed by Destroy. Every instance it hands out belongs to the
// caller until handed back with ReleaseInstance; Destroy frees whatever is still out.
//
// Plug-in contract: a shared library exporting the plain C functions
//   MapProject* CreateProjection(void);   // a new instance of a MapProject subclass
//   void ClassProjection(void);           // only its presence is required
// built against projection/MapProject.h. Instances are deleted through their virtual
// destructor, so the library frees its own objects. The instance's GetId decides the slot.
#pragma once

#include "platform/DynamicLibrary.h"
#include "projection/MapProject.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace kv {

class MapComposite;

// Shown when the registry cannot be filled at start-up; start-up goes on with what it has.
inline constexpr const char* kProjectionRegistryErrorText = "Error creating map projection manager; unable to continue";

// Export names of a projection plug-in.
inline constexpr const char* kCreateProjectionExport = "CreateProjection";
inline constexpr const char* kClassProjectionExport = "ClassProjection";
// Name of the composite definition file in the projection folder.
inline constexpr const char* kCompositeDefinitionFile = "Projection.txt";

class ProjectionRegistry {
public:
    static constexpr int kSlots = 256;
    static constexpr int kEndId = 256; // end marker of FirstId / NextId

    // RegisterCreator results.
    static constexpr int kIdOutOfRange = -1;
    static constexpr int kSlotTaken = -2;
    static constexpr int kCreatorFailed = -3; // the creator returned nothing

    // The singleton, created on first call.
    static ProjectionRegistry& Get();
    // Frees every entry (instances still handed out, composites, plug-in libraries, in that
    // order per slot) and forgets the singleton; the next Get makes a new one.
    static void Destroy();

    // Fills the registry from a folder: plug-in libraries ("*.so", by full path) and
    // composites from the folder's "Projection.txt". An empty folder text means no
    // projection folder: neither libraries nor "Projection.txt" are looked for (not even in
    // the working folder). Returns 0. Throws only when memory is exhausted.
    int Load(const std::string& folder);
    // Load for the application's start-up: a failure is reported through `report` with
    // kProjectionRegistryErrorText and the built-ins stay usable. Returns false on failure.
    bool LoadAtStartup(const std::string& folder, const std::function<void(const std::string&)>& report);

    // Calls the creator once for a temporary instance (deleted again in every case); with
    // id -1 the instance's own id is used. 0, kIdOutOfRange, kSlotTaken or kCreatorFailed.
    // On success the registry keeps `module` (it is unloaded by Destroy).
    int RegisterCreator(ProjectionCreator creator, std::unique_ptr<DynamicLibrary> module = nullptr, int id = -1);
    // Registers a parsed composite under its own id; false (and the composite is freed) when
    // the id is out of range or taken.
    bool RegisterInstance(std::unique_ptr<MapComposite> composite);

    // A new instance of the projection of `id` (not initialised), owned by the caller until
    // ReleaseInstance; null for an empty or out-of-range id or when creation fails. A
    // composite id gives each caller its own copy of the composite, so holders with
    // different centres never share state.
    MapProject* CreateInstance(int id);
    // Frees an instance handed out by CreateInstance; does nothing for null or for a pointer
    // the registry did not hand out (it is not touched). Returns true.
    bool ReleaseInstance(MapProject* instance);

    // Lowest id of a registered projection with exactly this name (case-sensitive), else -1.
    int FindByName(const std::string& name) const;
    MapProject* CreateByName(const std::string& name);

    // Enumeration: ids in increasing order, kEndId at the end.
    int FirstId() const;
    int NextId(int id) const;
    // Name and flags read at registration; "" and 0 for an id that is not registered.
    std::string GetName(int id) const;
    int GetFlags(int id) const;
    bool IsRegistered(int id) const;
    // Instances handed out and not yet released (all ids).
    size_t OutstandingInstances() const;

    ProjectionRegistry(const ProjectionRegistry&) = delete;
    ProjectionRegistry& operator=(const ProjectionRegistry&) = delete;
    ~ProjectionRegistry();

private:
    ProjectionRegistry();

    struct Entry {
        std::string name;
        int flags = 0;
        std::unique_ptr<DynamicLibrary> module;
        ProjectionCreator creator = nullptr;
        std::unique_ptr<MapComposite> composite; // the parsed definition, copied for each holder
    };

    void LoadPlugins(const std::string& folder);
    void LoadComposites(const std::string& path);
    void Clear();
    void FreeSlot(int id);
    static bool ValidId(int id) { return static_cast<unsigned>(id) < kSlots; }

    // The registry may be asked for instances from several threads (each view or sampler
    // copies its settings); one recursive lock keeps the table and the records consistent
    // (recursive: copying a composite asks the registry for its segments' projections).
    mutable std::recursive_mutex m_lock;
    std::unique_ptr<Entry> m_slots[kSlots];
    std::unordered_map<MapProject*, int> m_outstanding; // instance -> id it was made for
};

} // namespace kv

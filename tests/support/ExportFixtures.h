// A recalculated world with a view's projection and lighting and a sampler over it, for
// the whole-world export tests and benchmarks.
#pragma once

#include "WorldFixtures.h"
#include "base/Progress.h"
#include "base/color/LightParms.h"
#include "projection/ProjectionParms.h"
#include "shading/ShaderIds.h"
#include "shading/ShaderRegistry.h"
#include "world/SurfMap.h"
#include "world/SurfaceSampler.h"

#include <memory>

struct ExportWorld {
    ExportWorld()
    {
        RecalculateWorld(world);
        projection.SetScale(0.5);
        kv::GetShaderRegistry().Init(&world, &light);
        sampler = std::make_unique<kv::SurfaceSampler>(&projection, &world, &light, kv::kShaderAltitude);
    }
    ~ExportWorld()
    {
        sampler.reset();
        kv::ShaderRegistry::Destroy();
    }
    kv::SurfMap world;
    kv::ProjectionParms projection;
    kv::LightParms light;
    std::unique_ptr<kv::SurfaceSampler> sampler;
};

// Progress hooks whose poll asks to stop after `polls` polls, while installed.
struct AbortAfterPolls {
    explicit AbortAfterPolls(int polls)
    {
        s_left = polls;
        kv::ProgressHooks hooks = kv::SilentProgressHooks();
        hooks.poll = [] {
            if (--s_left <= 0)
                kv::g_abortValue = kv::kAbortValue;
            return 0;
        };
        m_previous = kv::SetProgressHooks(hooks);
    }
    ~AbortAfterPolls() { kv::SetProgressHooks(m_previous); }
    static inline int s_left = 0;

private:
    kv::ProgressHooks m_previous;
};

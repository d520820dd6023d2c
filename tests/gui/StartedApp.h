// The real application started in process (offscreen) over a scratch profile, reached as
// `app->` (see AppFixtures.h).
#pragma once

#include "AppFixtures.h"

struct StartedApp {
    explicit StartedApp(const kv::CCmdLineInfo& info = {}) : run(scratch, info) {}
    kvtest::ScratchProfile scratch;
    kvtest::RunningApp run;
    kv::CKVApp* const app = &run.app;
    const bool started = run.started;
};

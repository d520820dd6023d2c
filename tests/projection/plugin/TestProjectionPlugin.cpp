// A projection plug-in for the registry tests, built in several variants:
//   TEST_PROJECTION_ID      the id its instances report
//   TEST_NO_CLASS_EXPORT    leaves out the ClassProjection export
//   TEST_NULL_CREATOR       CreateProjection returns nothing
// Its projection doubles plate carree: x = 2 dlon, y = 2 lat.
#include "projection/MapProject.h"

#include <atomic>
#include <cmath>
#include <new>

#define KV_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
std::atomic<int> g_live{0};

class TestProjection final : public kv::MapProject {
public:
    TestProjection() { ++g_live; }
    ~TestProjection() override { --g_live; }
    const char* GetName() const override { return "Test Plug-in Projection"; }
    int GetFlags() const override { return kv::kProjCylindrical; }
    int GetId() const override { return TEST_PROJECTION_ID; }
    double GetUnitScale() const override { return 0.5 / M_PI; }
    int Forward(double lat, double lon, double& x, double& y) const override
    {
        x = m_x0 + 2.0 * WrapLongitude(lon - m_lon0);
        y = m_y0 + 2.0 * lat;
        return 0;
    }
    int Inverse(double x, double y, double& lat, double& lon) const override
    {
        lat = (y - m_y0) / 2.0;
        const double unwrapped = m_lon0 + (x - m_x0) / 2.0;
        lon = WrapLongitude(unwrapped);
        return lat < -M_PI / 2 || lat > M_PI / 2 ? -1 : InBounds(0, unwrapped);
    }
};
} // namespace

KV_EXPORT kv::MapProject* CreateProjection(void)
{
#ifdef TEST_NULL_CREATOR
    return nullptr;
#else
    return new (std::nothrow) TestProjection();
#endif
}

#ifndef TEST_NO_CLASS_EXPORT
KV_EXPORT void ClassProjection(void) {}
#endif

// For the tests: instances alive right now.
KV_EXPORT int TestProjectionLiveCount(void) { return g_live.load(); }

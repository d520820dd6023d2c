#include "projection/MapProject.h"
#include "projection/ProjectionParms.h"
#include "projection/ProjectionRegistry.h"
#include "projection/builtin/BuiltinProjections.h"

#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <string>

using kv::MapProject;
using kv::ProjectionRegistry;
namespace fs = std::filesystem;

namespace {

class ProjectionRegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ProjectionRegistry::Destroy();
        m_dir = fs::path(KV_TEST_BINARY_DIR) / ("registry_" + std::string(
            ::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override
    {
        ProjectionRegistry::Destroy();
        fs::remove_all(m_dir);
    }
    // Copies the test plug-in of a variant into the test's folder; returns its path.
    std::string AddPlugin(const std::string& variant)
    {
        const fs::path from = fs::path(KV_TEST_PROJECTION_PLUGINS) / ("TestProjection" + variant + ".so");
        const fs::path to = m_dir / from.filename();
        fs::copy_file(from, to, fs::copy_options::overwrite_existing);
        return to.string();
    }
    std::string Folder() const { return m_dir.string() + "/"; }

    fs::path m_dir;
};

// True when the library at path is loaded in this process right now.
bool IsLoaded(const std::string& path)
{
    void* h = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!h)
        return false;
    dlclose(h);
    return true;
}

MapProject* ReportsId300() { return new kv::MapProject(); }
MapProject* ReturnsNothing() { return nullptr; }

} // namespace

TEST_F(ProjectionRegistryTest, BuiltinsAreThereFromTheStart)
{
    ProjectionRegistry& r = ProjectionRegistry::Get();
    EXPECT_EQ(r.FirstId(), kv::kMapAzimuthalEquidistant);
    EXPECT_EQ(r.NextId(kv::kMapWagnerVII), kv::kMapAlbersEqualAreaConic);
    EXPECT_EQ(r.NextId(kv::kMapLambertConformalConic), ProjectionRegistry::kEndId);
    int count = 0;
    for (int id = r.FirstId(); id != ProjectionRegistry::kEndId; id = r.NextId(id))
        ++count;
    EXPECT_EQ(count, static_cast<int>(kv::BuiltinProjections().size()));
    EXPECT_FALSE(r.IsRegistered(16));
    EXPECT_FALSE(r.IsRegistered(300));
    EXPECT_EQ(r.GetName(kv::kMapMercator), "Mercator");
    EXPECT_EQ(r.GetFlags(kv::kMapStereographic), 0x5068);
    EXPECT_EQ(r.GetName(16), "");
    EXPECT_EQ(r.GetFlags(-1), 0);
    EXPECT_EQ(r.FindByName("mercator"), -1);
    EXPECT_EQ(r.FindByName("Mercator"), kv::kMapMercator);
    // An empty folder text adds nothing (no library is searched for in the working folder).
    EXPECT_EQ(r.Load(""), 0);
    EXPECT_EQ(r.NextId(kv::kMapLambertConformalConic), ProjectionRegistry::kEndId);
}

TEST_F(ProjectionRegistryTest, InstancesAreHandedOutAndBack)
{
    ProjectionRegistry& r = ProjectionRegistry::Get();
    MapProject* a = r.CreateInstance(kv::kMapEquirectangular);
    MapProject* b = r.CreateInstance(kv::kMapEquirectangular);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_EQ(r.OutstandingInstances(), 2u);
    EXPECT_EQ(r.CreateInstance(16), nullptr);
    EXPECT_EQ(r.CreateInstance(256), nullptr);
    EXPECT_EQ(r.CreateInstance(-1), nullptr);
    MapProject* m = r.CreateByName("Mercator");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->GetId(), kv::kMapMercator);
    EXPECT_EQ(r.CreateByName("Nowhere"), nullptr);
    // Both instances are freed, not only the most recent one.
    EXPECT_TRUE(r.ReleaseInstance(a));
    EXPECT_TRUE(r.ReleaseInstance(b));
    EXPECT_TRUE(r.ReleaseInstance(m));
    EXPECT_EQ(r.OutstandingInstances(), 0u);
    // Pointers it did not hand out are left alone.
    kv::MapProject mine;
    EXPECT_TRUE(r.ReleaseInstance(&mine));
    EXPECT_TRUE(r.ReleaseInstance(nullptr));
    // Whatever is still out when the registry goes is freed with it (checked by the sanitizer).
    r.CreateInstance(kv::kMapOrthographic);
}

TEST_F(ProjectionRegistryTest, RegisterCreatorResults)
{
    ProjectionRegistry& r = ProjectionRegistry::Get();
    EXPECT_EQ(r.RegisterCreator(kv::CreateMapMercator), ProjectionRegistry::kSlotTaken);
    EXPECT_EQ(r.RegisterCreator(kv::CreateMapMercator, nullptr, 300), ProjectionRegistry::kIdOutOfRange);
    EXPECT_EQ(r.RegisterCreator(kv::CreateMapMercator, nullptr, -5), ProjectionRegistry::kIdOutOfRange);
    EXPECT_EQ(r.RegisterCreator(ReturnsNothing), ProjectionRegistry::kCreatorFailed);
    EXPECT_EQ(r.RegisterCreator(nullptr), ProjectionRegistry::kCreatorFailed);
    // Under an explicit id: name and flags come from the instance.
    EXPECT_EQ(r.RegisterCreator(kv::CreateMapMercator, nullptr, 77), 0);
    EXPECT_EQ(r.GetName(77), "Mercator");
    EXPECT_EQ(r.FindByName("Mercator"), kv::kMapMercator) << "the lowest id wins";
    EXPECT_EQ(r.RegisterCreator(ReportsId300, nullptr, 0), 0);
    EXPECT_EQ(r.FirstId(), 0);
    EXPECT_EQ(r.GetName(0), "PlateCaree");
}

TEST_F(ProjectionRegistryTest, PluginsLoadByFullPath)
{
    const std::string good = AddPlugin("Good");
    const std::string dup = AddPlugin("Duplicate");
    const std::string outOfRange = AddPlugin("OutOfRange");
    const std::string noClass = AddPlugin("NoClass");
    const std::string nullCreator = AddPlugin("NullCreator");
    {
        // Not a library at all, and an empty file.
        std::ofstream junk(m_dir / "junk.so", std::ios::binary);
        std::mt19937 rng(5);
        for (int i = 0; i < 4096; ++i)
            junk.put(static_cast<char>(rng()));
        std::ofstream(m_dir / "empty.so");
    }

    ProjectionRegistry& r = ProjectionRegistry::Get();
    ASSERT_EQ(r.Load(Folder()), 0);
    EXPECT_TRUE(r.IsRegistered(42));
    EXPECT_EQ(r.GetName(42), "Test Plug-in Projection");
    EXPECT_EQ(r.GetFlags(42), kv::kProjCylindrical);
    EXPECT_EQ(r.GetName(6), "Mercator") << "the built-in keeps its id";
    EXPECT_FALSE(r.IsRegistered(43)) << "no ClassProjection export";
    EXPECT_FALSE(r.IsRegistered(44)) << "creator returns nothing";
    EXPECT_TRUE(IsLoaded(good));
    for (const std::string& refused : {dup, outOfRange, noClass, nullCreator})
        EXPECT_FALSE(IsLoaded(refused)) << refused;

    // The plug-in's instances convert and are freed inside the library.
    void* h = dlopen(good.c_str(), RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(h, nullptr);
    auto live = reinterpret_cast<int (*)()>(dlsym(h, "TestProjectionLiveCount"));
    ASSERT_NE(live, nullptr);
    EXPECT_EQ(live(), 0) << "the registration probe was freed";
    {
        kv::ProjectionParms p;
        ASSERT_EQ(p.SetProjection(42), 0);
        double x, y, lat, lon;
        ASSERT_EQ(p.LatLonToMap(45, 90, x, y), 0);
        EXPECT_NEAR(x, 0.5 + 0.0001 / (2 * M_PI), 1e-12);
        EXPECT_NEAR(y, 0.25, 1e-12);
        ASSERT_EQ(p.MapToLatLon(x, y, lat, lon), 0);
        EXPECT_NEAR(lon, 90, 1e-9);
        kv::ProjectionParms q(p);
        EXPECT_EQ(live(), 2);
    }
    EXPECT_EQ(live(), 0);
    MapProject* kept = r.CreateInstance(42);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(live(), 1);
    dlclose(h);

    // Destroy frees the instance still out, then unloads the library.
    ProjectionRegistry::Destroy();
    EXPECT_FALSE(IsLoaded(good));
}

TEST_F(ProjectionRegistryTest, StartupLoadReportsNothingWhenItWorks)
{
    std::string reported;
    EXPECT_TRUE(ProjectionRegistry::Get().LoadAtStartup(Folder(), [&](const std::string& t) { reported = t; }));
    EXPECT_EQ(reported, "");
    EXPECT_STREQ(kv::kProjectionRegistryErrorText, "Error creating map projection manager; unable to continue");
    // A folder that does not exist is no failure: there is simply nothing to add.
    EXPECT_TRUE(ProjectionRegistry::Get().LoadAtStartup("/nonexistent/folder/", nullptr));
    EXPECT_EQ(ProjectionRegistry::Get().NextId(20), ProjectionRegistry::kEndId);
}

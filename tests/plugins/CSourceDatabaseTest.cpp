// The noise-source registry: built-ins, the delivered plug-ins and libraries that misbehave.
#include "base/noise/CSourceDatabase.h"
#include "base/noise/BuiltinNoise.h"

#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace fs = std::filesystem;
using Entry = kv::CSourceDatabase::SourceEntry;

namespace {

// A scratch folder that the test fills with library files of its choice.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name)
        : m_path(fs::path(KV_TEST_BINARY_DIR) / ("scratch_" + name))
    {
        fs::remove_all(m_path);
        fs::create_directories(m_path);
    }
    ~ScratchFolder() { fs::remove_all(m_path); }
    std::string Path() const { return m_path.string(); }
    std::string CopyIn(const std::string& from, const std::string& as = "") const
    {
        const fs::path to = m_path / (as.empty() ? fs::path(from).filename().string() : as);
        fs::copy_file(from, to, fs::copy_options::overwrite_existing);
        return to.string();
    }
    void Write(const std::string& name, const std::string& text) const { std::ofstream(m_path / name) << text; }

private:
    fs::path m_path;
};

std::string Fixture(const char* name) { return std::string(KV_FIXTURE_PLUGIN_DIR) + "/" + name + ".so"; }
std::string Delivered(const char* name) { return std::string(KV_PLUGIN_DIR) + "/" + name + ".so"; }

bool IsLoaded(const std::string& path)
{
    void* h = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!h)
        return false;
    dlclose(h);
    return true;
}

} // namespace

TEST(CSourceDatabase, LoadsBuiltinsAndTheDeliveredPlugins)
{
    kv::CSourceDatabase db;
    ASSERT_EQ(db.LoadSources(KV_PLUGIN_DIR), 4);
    struct Case {
        int id;
        const char* name;
        bool builtIn;
        uint32_t extrasMask;
    };
    const Case cases[] = {{0, "Ridged Multifractal", true, 3u},
                          {1, "Brownian Noise", true, 0u},
                          {18, "Corvel Fractional Brownian Motion (fBm)", false, 0u},
                          {19, "Corvel Ridged Multifractal", false, 3u}};
    for (const Case& c : cases) {
        const Entry* e = nullptr;
        const int index = db.FindById(c.id, &e);
        ASSERT_GE(index, 0) << c.id;
        ASSERT_EQ(e, &db.Entry(index));
        EXPECT_STREQ(e->Name(), c.name);
        EXPECT_EQ(e->IsBuiltIn(), c.builtIn);
        EXPECT_EQ(e->fileName.empty(), c.builtIn);
        EXPECT_EQ(e->info.extrasMask, c.extrasMask);
        EXPECT_EQ(e->info.size, kv::kTexInfoSize);
        EXPECT_TRUE(e->create && e->destroy && e->evaluate && e->defaults);
    }
    // Built-ins first, in this order, with their default records; plug-ins' records are zero.
    EXPECT_EQ(db.Entry(0).Id(), 0);
    EXPECT_EQ(db.Entry(1).Id(), 1);
    EXPECT_STREQ(db.Entry(0).info.extraNames[0], "Offset");
    EXPECT_STREQ(db.Entry(0).info.extraNames[1], "FGain");
    EXPECT_EQ(db.Entry(0).parms.H, 1.0);
    EXPECT_EQ(db.Entry(0).parms.extras[0], 1.0);
    EXPECT_EQ(db.Entry(0).parms.extras[1], 1.0);
    EXPECT_EQ(db.Entry(1).parms.H, 2.2);
    EXPECT_EQ(db.Entry(1).parms.octaveMask, -1);
    const Entry* plugin = nullptr;
    db.FindById(19, &plugin);
    const kv::TexParms zero{};
    EXPECT_EQ(std::memcmp(&plugin->parms, &zero, sizeof zero), 0);

    EXPECT_EQ(db.FindById(5, &plugin), -1);
    EXPECT_EQ(plugin, nullptr);

    // The chooser list: names and ids in registry order, selection by id.
    const auto list = db.ListSources(18);
    ASSERT_EQ(list.items.size(), 4u);
    EXPECT_EQ(list.items[1].name, "Brownian Noise");
    EXPECT_EQ(list.items[static_cast<size_t>(list.selected)].id, 18);
    EXPECT_EQ(db.ListSources(1234).selected, -1);

    db.UnloadAll();
    EXPECT_EQ(db.Count(), 0);
    EXPECT_FALSE(IsLoaded(Delivered("CorvelRMF")));
}

TEST(CSourceDatabase, EntriesEvaluateThroughTheirOwnRecord)
{
    kv::CSourceDatabase db;
    db.LoadSources(KV_PLUGIN_DIR);
    const Entry* ridged = nullptr;
    const Entry* fbm = nullptr;
    ASSERT_EQ(db.FindById(0, &ridged), 0);
    ASSERT_GE(db.FindById(18, &fbm), 0);

    kv::TexParms parms = ridged->parms;
    ridged->Create(parms);
    kv::TexParms local = parms;
    local.point[0] = 0.3;
    local.point[1] = 0.6;
    local.point[2] = -0.2;
    EXPECT_EQ(ridged->Evaluate(local),
              static_cast<float>(kv::RidgedMultifractalSum(0.3, 0.6, -0.2, 1.0, 2.0, 12.0, 1.0, 1.0, -1)));
    EXPECT_EQ(local.point[0], 0.3); // the built-ins leave the point alone

    kv::TexParms fp = db.Entry(1).parms; // Brownian defaults fit the plug-in too
    fp.seed = 99;
    fbm->Destroy(fp);
    fbm->Create(fp);
    kv::TexParms a = fp, b = fp;
    a.point[0] = b.point[0] = 1.5;
    const float va = fbm->Evaluate(a);
    EXPECT_EQ(a.point[0], 1.5 * 2048); // the plug-in scales the caller's point
    EXPECT_EQ(fbm->Evaluate(b), va);
}

// A run of points evaluates as Evaluate on a fresh copy per point: the built-ins through
// their group form, a plug-in (which scales the point of its record) one point at a time.
TEST(CSourceDatabase, EvaluateManyIsEvaluateOnEachPoint)
{
    kv::CSourceDatabase db;
    db.LoadSources(KV_PLUGIN_DIR);
    const double x[] = {0.3, 1.5, -2.25, 0.0, 7.1};
    const double y[] = {0.6, 0.5, 3.0, -0.0, -1.9};
    const double z[] = {-0.2, 0.1, 0.75, 1.0, 0.4};
    for (int id : {0, 1, 18, 19}) {
        const Entry* e = nullptr;
        ASSERT_GE(db.FindById(id, &e), 0) << id;
        EXPECT_EQ(e->evaluateMany != nullptr, e->IsBuiltIn()) << id;
        kv::TexParms parms = db.Entry(id == 19 ? 0 : 1).parms;
        e->Destroy(parms);
        e->Create(parms);
        const kv::TexParms before = parms;
        float many[5];
        e->EvaluateMany(parms, 5, x, y, z, many);
        EXPECT_EQ(std::memcmp(&parms, &before, sizeof parms), 0) << id;
        for (int k = 0; k < 5; ++k) {
            kv::TexParms local = parms;
            local.point[0] = x[k];
            local.point[1] = y[k];
            local.point[2] = z[k];
            EXPECT_EQ(many[k], e->Evaluate(local)) << id << " point " << k;
        }
    }
}

TEST(CSourceDatabase, EmptyOrMissingFolderGivesTheTwoBuiltins)
{
    ScratchFolder empty("empty");
    for (const std::string& folder : {empty.Path(), empty.Path() + "/does-not-exist"}) {
        kv::CSourceDatabase db;
        EXPECT_EQ(db.LoadSources(folder), 2);
        EXPECT_EQ(db.Entry(0).Id(), 0);
        EXPECT_EQ(db.Entry(1).Id(), 1);
    }
}

TEST(CSourceDatabase, SecondLoadAppendsPluginsAndKeepsEntries)
{
    kv::CSourceDatabase db;
    ASSERT_EQ(db.LoadSources(KV_PLUGIN_DIR), 4);
    const Entry* first = nullptr;
    const int index = db.FindById(19, &first);
    const std::string name = first->Name();
    // Enough loads to make any growable array move its storage.
    for (int k = 0; k < 8; ++k)
        db.LoadSources(KV_PLUGIN_DIR);
    EXPECT_EQ(db.Count(), 4 + 8 * 2);
    int builtins = 0;
    for (int i = 0; i < db.Count(); ++i)
        builtins += db.Entry(i).IsBuiltIn();
    EXPECT_EQ(builtins, 2);
    const Entry* again = nullptr;
    EXPECT_EQ(db.FindById(19, &again), index); // the earlier of equal ids
    EXPECT_EQ(again, first);
    EXPECT_EQ(first->Name(), name);
}

TEST(CSourceDatabase, BadLibrariesAreSkippedAndFreed)
{
    ScratchFolder folder("bad");
    const std::string missing = folder.CopyIn(Fixture("kv_fixture_missing_export"));
    folder.CopyIn(Fixture("kv_fixture_partial_info"));
    folder.CopyIn(Fixture("kv_fixture_long_names"));
    folder.CopyIn(Delivered("CorvelFBm"));
    folder.Write("notes.so", "this is not a library\n");
    folder.Write("empty.so", "");
    folder.Write("CorvelRMF.txt", "wrong suffix");
    fs::create_directory(fs::path(folder.Path()) / "folder.so");

    kv::CSourceDatabase db;
    ASSERT_EQ(db.LoadSources(folder.Path()), 5); // two built-ins, partial, long names, CorvelFBm
    EXPECT_EQ(db.FindById(55), -1);
    EXPECT_FALSE(IsLoaded(missing));

    // A plug-in reporting id 0 comes after the built-in and is never found.
    const Entry* e = nullptr;
    EXPECT_EQ(db.FindById(0, &e), 0);
    EXPECT_TRUE(e->IsBuiltIn());
    int zeros = 0;
    const Entry* partial = nullptr;
    for (int i = 0; i < db.Count(); ++i)
        if (db.Entry(i).Id() == 0) {
            ++zeros;
            partial = &db.Entry(i);
        }
    ASSERT_EQ(zeros, 2);
    // It wrote 12 bytes: the rest of the zeroed record stays zero.
    EXPECT_EQ(partial->info.size, 12);
    EXPECT_STREQ(partial->info.name, "Part");
    EXPECT_EQ(partial->info.extrasMask, 0u);
    const char nothing[kv::kTexExtraCount][kv::kTexNameLength] = {};
    EXPECT_EQ(std::memcmp(partial->info.extraNames, nothing, sizeof nothing), 0);

    // Names that fill their 128 bytes are cut to 127 characters and terminated.
    ASSERT_GE(db.FindById(77, &e), 0);
    EXPECT_EQ(std::strlen(e->Name()), 127u);
    for (const auto& extra : e->info.extraNames)
        EXPECT_EQ(strnlen(extra, sizeof extra), 127u);
    const auto list = db.ListSources(77);
    EXPECT_EQ(list.items[static_cast<size_t>(list.selected)].name, std::string(127, 'N'));
}

TEST(CSourceDatabase, ProcessWideRegistry)
{
    kv::CSourceDatabase& db = kv::GetSourceDatabase();
    EXPECT_EQ(&db, &kv::GetSourceDatabase());
    db.UnloadAll();
    EXPECT_EQ(db.LoadSources(KV_PLUGIN_DIR), 4);
    db.UnloadAll();
    EXPECT_EQ(db.Count(), 0);
}

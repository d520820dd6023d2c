// The application's command line, preferences, folders, version and start-up records.
#include "base/AppSettings.h"
#include "base/AppFolders.h"
#include "gui/app/CmdLineInfo.h"
#include "gui/app/Preferences.h"
#include "gui/app/ProfileSettings.h"
#include "gui/app/StartupFile.h"

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace kv;

namespace {

struct ParseCase {
    std::vector<std::string> args;
    bool batch;
    std::string image, mdr, bump;
    int width;
    int colorType;
    std::string colorFile;
    std::vector<std::string> files;
    bool parameterDefault;
    size_t errors;
};

} // namespace

TEST(CmdLineInfo, ArgumentListsParseAsTheRulesSay)
{
    const ParseCase cases[] = {
        {{"-default"}, false, "", "", "", 384, -1, "", {}, true, 0},
        {{"/DEFAULT"}, false, "", "", "", 384, -1, "", {}, true, 0},
        {{"-imgwidth=", "-image=a.png"}, true, "a.png", "", "", 384, -1, "", {}, false, 0},
        {{"-imgwidth=1024", "image=W.PNG"}, true, "W.PNG", "", "", 1024, -1, "", {}, false, 0},
        {{"-colortype=3"}, false, "", "", "", 384, 3, "", {}, false, 0},
        {{"-color=My.lgt"}, false, "", "", "", 384, -1, "My.lgt", {}, false, 0},
        {{"/home/a.kvw"}, false, "", "", "", 384, -1, "", {"/home/a.kvw"}, false, 0},
        {{"/Image=/tmp/X.jpg", "/home/w.kvw"}, true, "/tmp/X.jpg", "", "", 384, -1, "", {"/home/w.kvw"}, false, 0},
        {{"-MDR=out.mdr", "BUMP=b.bmp", "IMAGE=i.png"}, true, "i.png", "out.mdr", "b.bmp", 384, -1, "", {}, false, 0},
        {{"world.kvw", "-x", "-unknown=1"}, false, "", "", "", 384, -1, "", {"world.kvw"}, false, 0},
        {{"-imgwidth=3", "image=a.png"}, true, "a.png", "", "", 384, -1, "", {}, false, 1},
        {{"-imgwidth=abc"}, false, "", "", "", 384, -1, "", {}, false, 1},
        {{"-imgwidth=99999999999"}, false, "", "", "", 384, -1, "", {}, false, 1},
        {{"-imgwidth=-50"}, false, "", "", "", 384, -1, "", {}, false, 1},
        {{"-colortype=x"}, false, "", "", "", 384, -1, "", {}, false, 1},
    };
    for (const ParseCase& c : cases) {
        const CCmdLineInfo info = CCmdLineInfo::Parse(c.args);
        SCOPED_TRACE(c.args.front());
        EXPECT_EQ(info.IsBatch(), c.batch);
        EXPECT_EQ(info.imagePath, c.image);
        EXPECT_EQ(info.mdrPath, c.mdr);
        EXPECT_EQ(info.bumpPath, c.bump);
        EXPECT_EQ(info.imageWidth, c.width);
        EXPECT_EQ(info.colorType, c.colorType);
        EXPECT_EQ(info.colorFile, c.colorFile);
        EXPECT_EQ(info.files, c.files);
        EXPECT_EQ(info.parameterDefault, c.parameterDefault);
        EXPECT_EQ(info.errors.size(), c.errors);
    }
}

TEST(CmdLineInfo, ParmsTextKeepsItsCaseAndWidthLimitFitsTheBitmap)
{
    const CCmdLineInfo info = CCmdLineInfo::Parse({"-PARMS=Temp=15,3"});
    EXPECT_TRUE(info.hasParms);
    EXPECT_EQ(info.parms, "Temp=15,3");
    EXPECT_FALSE(CCmdLineInfo::Parse({"-parms="}).hasParms);
    const int w = CCmdLineInfo::MaxImageWidth();
    EXPECT_LE(static_cast<unsigned long long>(w) * (w / 2) * 4, 0x7FFFFFFFull);
    EXPECT_GT(static_cast<unsigned long long>(w + 1) * ((w + 1) / 2) * 4, 0x7FFFFFFFull);
    EXPECT_EQ(CCmdLineInfo::Parse({"-imgwidth=" + std::to_string(w)}).imageWidth, w);
    EXPECT_EQ(CCmdLineInfo::Parse({"-imgwidth=" + std::to_string(w + 1)}).errors.size(), 1u);
}

TEST(Preferences, FreshProfileAndRiverImportanceInHundredths)
{
    AppSettings profile;
    Preferences p;
    p.Read(profile);
    EXPECT_EQ(p.DT, 0);
    EXPECT_EQ(p.ZS, 0);
    EXPECT_EQ(p.RF, 1);
    EXPECT_EQ(p.RS, 1);
    EXPECT_EQ(p.CD, 0);
    EXPECT_EQ(p.DR, 4);
    EXPECT_EQ(p.AD, 0);
    EXPECT_EQ(p.V123, 0);
    EXPECT_EQ(p.XS, 2048);
    EXPECT_EQ(p.YS, 2048);
    EXPECT_EQ(p.RI, 0.0f);

    p.RI = 0.015f;
    p.Write(profile);
    EXPECT_EQ(profile.GetInt("Settings", "RI", -1), 1);
    Preferences q;
    q.Read(profile);
    EXPECT_FLOAT_EQ(q.RI, 0.01f);
}

TEST(Preferences, HandEditedValuesAreClampedToTheDialogRanges)
{
    AppSettings profile;
    profile.WriteString("Settings", "DR", "0");
    profile.WriteString("Settings", "XS", "9");
    profile.WriteString("Settings", "YS", "99999");
    profile.WriteString("Settings", "RI", "-1"); // taken as unsigned: far beyond 100
    profile.WriteString("Settings", "RF", "garbage");
    Preferences p;
    p.Read(profile);
    EXPECT_EQ(p.DR, 1);
    EXPECT_EQ(p.XS, 32);
    EXPECT_EQ(p.YS, 2048);
    EXPECT_EQ(p.RI, 100.0f);
    EXPECT_EQ(p.RF, 1);
}

TEST(AppFolders, InstallFolderCutsBuildFoldersIgnoringCase)
{
    AppSettings profile;
    const struct {
        const char* program;
        const char* folder;
    } cases[] = {
        {"/opt/kv/KV", "/opt/kv/"},
        {"/src/kv/Debug/KV", "/src/kv/"},
        {"/src/kv/RELEASE/bin/KV", "/src/kv/"},
        {"/debug/KV", "/debug/"}, // at the first character: not cut
        {"/a/debugger/KV", "/a/debugger/"},
        {"", "./"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetInstallDir(profile, c.program), c.folder) << c.program;
    profile.WriteString("Settings", "Install", "/srv/kv");
    EXPECT_EQ(GetInstallDir(profile, "/opt/kv/KV"), "/srv/kv/");
    EXPECT_EQ(GetWorldsDir(profile), "/srv/kv/Worlds/");
    EXPECT_EQ(GetColorsDir(profile), "/srv/kv/Coloring/");
    EXPECT_EQ(GetExportDir(profile), "/srv/kv/Export/");
    EXPECT_EQ(GetScriptsDir(profile), "/srv/kv/Scripts/");
    profile.WriteString("Settings", "Scripts", "/x/s");
    EXPECT_EQ(GetScriptsDir(profile), "/x/s/");
}

TEST(AppFolders, ProductVersionIsPacked)
{
    EXPECT_EQ(ParseProductVersion("2, 3, 0, 0"), 0x02030000);
    EXPECT_EQ(ParseProductVersion("1, 2"), 0x01000000);
    EXPECT_EQ(ParseProductVersion(nullptr), -1);
    EXPECT_EQ(GetProductVersion(), 0x02030000);
}

TEST(StartupFile, RecordsAndTheirFailures)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = dir.filePath("guide.txt").toStdString();
    const std::string longText(3000, 'w');
    std::ofstream(path) << "Welcome;1,2,3,4;5,6,7;9,10,11,12;\n" << longText << ";0,0,10,10;0,0,x,1;;\n";
    StartupRecord r;
    ASSERT_EQ(ReadStartupLine(path, 0, r), 0);
    EXPECT_EQ(r.text, "Welcome");
    EXPECT_EQ(r.next.left, 1);
    EXPECT_EQ(r.next.bottom, 4);
    EXPECT_EQ(r.previous.left, -2); // three numbers: the empty rectangle
    EXPECT_EQ(r.previous.top, -2);
    EXPECT_EQ(r.previous.right, -1);
    EXPECT_EQ(r.previous.bottom, -1);
    EXPECT_EQ(r.close.left, 9);
    EXPECT_EQ(r.close.bottom, 12);
    ASSERT_EQ(ReadStartupLine(path, 1, r), 0);
    EXPECT_EQ(r.text, longText); // read whole, not cut
    EXPECT_EQ(r.next.right, 10);
    EXPECT_EQ(r.previous.left, -2);
    EXPECT_EQ(r.close.left, -2);
    EXPECT_EQ(ReadStartupLine(path, 2, r), -2);
    EXPECT_EQ(ReadStartupLine(path, -1, r), -2);
    EXPECT_EQ(ReadStartupLine("", 0, r), -4);
    EXPECT_EQ(ReadStartupLine(dir.filePath("none").toStdString(), 0, r), -1);
    EXPECT_EQ(ReadStartupLine(dir.path().toStdString(), 0, r), -1);
}

TEST(ProfileSettings, ValuesLiveInSectionsOfOneFile)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath("KVPro230.ini");
    {
        ProfileSettings profile(ini);
        Preferences p;
        p.DR = 7;
        p.Write(profile);
        profile.WriteString("", "Placement", "00FF");
        profile.Sync();
    }
    ProfileSettings again(ini);
    Preferences p;
    p.Read(again);
    EXPECT_EQ(p.DR, 7);
    EXPECT_EQ(again.GetString("", "Placement", ""), "00FF");
    EXPECT_EQ(again.GetInt("Settings", "Missing", 42), 42);
}

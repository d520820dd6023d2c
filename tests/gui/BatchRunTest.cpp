// The windowless batch run, as a user starts it: the program in a subprocess with its own
// profile and install folder, no display.
#include "base/raster/VideoBuffer.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace kv;
namespace fs = std::filesystem;

namespace {

// A private profile (its "Install" folder in a temporary folder that holds the plug-ins)
// for every run of one test.
class BatchRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        root = m_dir.path().toStdString();
        fs::create_directories(root + "/cfg/Brannock Software");
        fs::create_directories(root + "/install");
        fs::create_directory_symlink(KV_PLUGINS, root + "/install/plugins");
        std::ofstream(root + "/cfg/Brannock Software/KVPro230.ini")
            << "[Settings]\nInstall=" << root << "/install/\n";
    }
    // Runs the program in `root`; its exit code, stderr in `errors`.
    int Run(const std::string& arguments, std::string* errors = nullptr)
    {
        const std::string err = root + "/stderr.txt";
        const std::string command = "cd '" + root + "' && env -u DISPLAY -u WAYLAND_DISPLAY XDG_CONFIG_HOME='" +
                                    root + "/cfg' QT_QPA_PLATFORM= '" KV_PROGRAM "' " + arguments + " 2>'" + err + "'";
        const int status = std::system(command.c_str());
        if (errors) {
            std::ifstream in(err);
            std::stringstream s;
            s << in.rdbuf();
            *errors = s.str();
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Bytes(const std::string& name)
    {
        std::ifstream in(root + "/" + name, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void ExpectImage(const std::string& name, int w, int h)
    {
        VideoBuffer b;
        ASSERT_EQ(b.LoadImageFile(root + "/" + name), 0) << name;
        EXPECT_EQ(b.GetWidth(), w) << name;
        EXPECT_EQ(b.GetHeight(), h) << name;
    }

    QTemporaryDir m_dir;
    std::string root;
};

} // namespace

TEST_F(BatchRun, EveryOutputIsWrittenInItsFormat)
{
    std::string errors;
    ASSERT_EQ(Run("mdr=w.mdr image=World.PNG bump=b.bmp normal=n.jpg imgwidth=200 parms=77", &errors), 0) << errors;
    EXPECT_EQ(errors, "");
    ExpectImage("World.PNG", 200, 100);
    ExpectImage("b.bmp", 200, 100);
    ExpectImage("n.jpg", 200, 100);
    const std::string mdr = Bytes("w.mdr");
    ASSERT_GE(mdr.size(), 1024u);
    EXPECT_EQ(mdr.substr(0, 4), "CRVL");
    EXPECT_EQ(Bytes("World.PNG").substr(1, 3), "PNG");
    // The settings files of the run land in the install folder; the clean-exit marker is 0.
    EXPECT_TRUE(fs::exists(root + "/install/Default.srf"));
    EXPECT_TRUE(fs::exists(root + "/install/Default.lgt"));
    EXPECT_NE(Bytes("cfg/Brannock Software/KVPro230.ini").find("Running=0"), std::string::npos);
}

TEST_F(BatchRun, OneSeedGivesTheSameBytesEveryRun)
{
    ASSERT_EQ(Run("-image=a.png -imgwidth=128 -parms=4321"), 0);
    const std::string first = Bytes("a.png");
    ASSERT_EQ(Run("/image=a.png /imgwidth=128 /parms=4321"), 0);
    EXPECT_EQ(Bytes("a.png"), first);
    // The bump render is the same world recoloured: its image differs from the colour one.
    ASSERT_EQ(Run("image=c.bmp bump=b.bmp imgwidth=128 parms=4321"), 0);
    EXPECT_NE(Bytes("c.bmp"), Bytes("b.bmp"));
}

TEST_F(BatchRun, RefusedArgumentsAndFailedSavesExitNonZero)
{
    std::string errors;
    EXPECT_EQ(Run("image=a.png imgwidth=2", &errors), 2);
    EXPECT_NE(errors.find("Invalid image width \"2\""), std::string::npos) << errors;
    EXPECT_FALSE(fs::exists(root + "/a.png"));

    // Every save is attempted; each failure is reported.
    std::ofstream(root + "/keep.png") << "earlier";
    EXPECT_EQ(Run("image=a.tiff mdr=noext bump=no/such/folder/b.png normal=n.jpg imgwidth=64", &errors), 1);
    EXPECT_NE(errors.find("unknown image type \".tiff\""), std::string::npos) << errors;
    EXPECT_NE(errors.find("has no extension"), std::string::npos) << errors;
    EXPECT_NE(errors.find("no/such/folder/b.png"), std::string::npos) << errors;
    ExpectImage("n.jpg", 64, 32);
    EXPECT_EQ(Bytes("keep.png"), "earlier");
}

// Every failed run: its exit status, one line on stderr, no image and the user's settings
// files as they were.
TEST_F(BatchRun, FailedRunsSayWhyAndLeaveTheUsersFiles)
{
    fs::create_directory(root + "/folder.kvw");
    std::ofstream(root + "/junk.kvw") << "not a world";
    std::ofstream(root + "/junk.lgt") << "not lighting";
    const std::string shaders = "give one of the shader numbers 0, 1, 2, 3, 4, 8, 9, 10, 11, 12";
    struct Case {
        std::string arguments;
        int status;
        std::string error; // the whole of stderr (the start of it where it ends in a reason of a library)
        bool whole;
    };
    const Case cases[] = {
        {"image=x.png missing.kvw", 1, "Unable to open missing.kvw: No such file or directory\n", true},
        {"image=x.png folder.kvw", 1, "Unable to open folder.kvw: not a regular file\n", true},
        {"image=x.png junk.kvw", 1, "Unable to read junk.kvw: ", false},
        {"image=x.png colortype=99", 2, "Invalid colour type \"99\": " + shaders + "\n", true},
        {"image=x.png colortype=5", 2, "Invalid colour type \"5\": " + shaders + "\n", true},
        {"image=x.png colortype=7", 2, "Invalid colour type \"7\": " + shaders + "\n", true},
        {"image=x.png colortype=13", 2, "Invalid colour type \"13\": " + shaders + "\n", true},
        {"image=x.png colortype=256", 2, "Invalid colour type \"256\": " + shaders + "\n", true},
        {"image=x.png colortype=-1", 2, "Invalid colour type \"-1\": " + shaders + "\n", true},
        {"image=x.png parms=abc", 2, "Invalid world parameters \"abc\": no number in them\n", true},
        {"image=x.png parms=temp=abc", 2, "Invalid world parameters \"temp=abc\": no number in them\n", true},
        {"image=x.png parms=rain=,5", 2, "Invalid world parameters \"rain=,5\": no number in them\n", true},
        {"image=x.png parms=77 color=missing.lgt", 1, "Unable to open missing.lgt: No such file or directory\n",
         true},
        {"image=x.png parms=77 color=junk.lgt", 1,
         "Unable to read junk.lgt: no complete lighting block (LightParms ... LightParmsEnd)\n", true},
        {"image=no/such/folder/x.png parms=77", 1,
         "Unable to save \"no/such/folder/x.png\": No such file or directory\n", true},
    };
    std::vector<Case> all(std::begin(cases), std::end(cases));
    // A folder the user may not write to (the superuser may write anywhere).
    fs::create_directory(root + "/locked");
    fs::permissions(root + "/locked", fs::perms::owner_read | fs::perms::owner_exec);
    if (access((root + "/locked").c_str(), W_OK) != 0)
        all.push_back({"image=locked/x.png parms=77", 1, "Unable to save \"locked/x.png\": Permission denied\n", true});
    const std::string lighting = "the user's lighting", parms = "the user's world";
    for (const Case& c : all) {
        SCOPED_TRACE(c.arguments);
        std::ofstream(root + "/install/Default.lgt") << lighting;
        std::ofstream(root + "/install/Default.srf") << parms;
        std::string errors;
        EXPECT_EQ(Run(c.arguments, &errors), c.status);
        if (c.whole)
            EXPECT_EQ(errors, c.error);
        else
            EXPECT_EQ(errors.rfind(c.error, 0), 0u) << errors;
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
        EXPECT_FALSE(fs::exists(root + "/x.png"));
        EXPECT_EQ(Bytes("install/Default.lgt"), lighting);
        EXPECT_EQ(Bytes("install/Default.srf"), parms);
    }
}

// Runs that work with a warning: an unknown option, a partly readable world list; a later
// image= replaces an earlier one.
TEST_F(BatchRun, WarningsLeaveTheRunWorking)
{
    std::string errors;
    ASSERT_EQ(Run("-frobnicate image=a.png image=b.png imgwidth=32 parms=77,12abc", &errors), 0) << errors;
    EXPECT_EQ(errors, "Ignored the unknown option \"-frobnicate\"\n"
                      "World parameters \"77,12abc\": item 2 \"12abc\": read as 12, \"abc\" ignored\n");
    EXPECT_FALSE(fs::exists(root + "/a.png"));
    ExpectImage("b.png", 32, 16);
}

// A fresh install renders as every later run does: the lighting the first run writes reads
// back to the values it rendered with.
TEST_F(BatchRun, TheFirstRunOfAnInstallRendersAsTheNextOnes)
{
    ASSERT_FALSE(fs::exists(root + "/install/Default.lgt"));
    ASSERT_EQ(Run("image=first.bmp parms=4321"), 0);
    ASSERT_TRUE(fs::exists(root + "/install/Default.lgt"));
    const std::string written = Bytes("install/Default.lgt");
    ASSERT_EQ(Run("image=second.bmp parms=4321"), 0);
    EXPECT_EQ(Bytes("second.bmp"), Bytes("first.bmp"));
    EXPECT_EQ(Bytes("install/Default.lgt"), written);
    ExpectImage("first.bmp", 384, 192);
}

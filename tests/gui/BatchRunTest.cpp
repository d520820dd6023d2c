// The windowless batch run, as a user starts it: the program in a subprocess with its own
// profile and install folder, no display.
#include "base/raster/VideoBuffer.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

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

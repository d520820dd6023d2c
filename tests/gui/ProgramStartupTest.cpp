// The real start-up: every service slot of the lower layers is filled by the program itself,
// and the commands that lean on those services work from the real main frame.
#include "base/ServiceSlots.h"
#include "base/raster/VideoBuffer.h"
#include "document/CKVDoc.h"
#include "document/DocumentCommands.h"
#include "document/DocumentServices.h"
#include "gui/app/CmdLineInfo.h"
#include "gui/app/KVApp.h"
#include "gui/app/ProfileSettings.h"
#include "gui/dialogs/CBackgroundDlg.h"
#include "gui/dialogs/CGlobeExportDlg.h"
#include "gui/dialogs/CImageClimateDlg.h"
#include "gui/view/MapWidget.h"
#include "shading/ShaderIds.h"
#include "view/CKVView.h"
#include "view/ViewCommandIds.h"

#include "DialogDriver.h"
#include "OutsideTools.h"
#include "QtTestApp.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <set>
#include <sstream>
#include <string>

using namespace kv;

namespace {

// Setters of the lower layers that are not program services, and why.
const std::set<std::string> kNotServices = {
    "ProgressHooks",        // the default hooks are the program's: they show the progress windows
                            // through the installed window factory and event pump
    "ThreadProgressHooks",  // per-thread overrides of the workers
    "ThreadMessageService", // per-thread overrides of the workers
    "ThreadViewHooks",      // per-thread overrides of the workers
    "AltColorWindow",       // the colour-to-altitude window while it is open
    "ColorLinkColorTarget", // the colour link editor while it is open
    "ParameterWorld",       // the "parms=" world of one run, not a service
    "RunInt",               // a profile value
    "F32", "I16", "U32",    // byte writers of the drawing records
};

// Runs the interactive start-up with scripted messages and file dialogs.
struct App {
    explicit App(CCmdLineInfo info = {}) : profile(dir.filePath("profile.ini"))
    {
        TestApp();
        profile.WriteString("Settings", "Install", dir.path().toStdString());
        profile.WriteInt("Settings", "RF", 0);
        app = std::make_unique<CKVApp>(&profile);
        app->Messages().Script({});
        app->Prompts().ScriptPaths({});
        started = app->InitInstance(info);
    }
    ~App() { app->ExitInstance(); }
    QTemporaryDir dir;
    ProfileSettings profile;
    std::unique_ptr<CKVApp> app;
    bool started = false;
};

// The names of the namespace-scope Set functions declared in the headers of the layers
// below the window.
std::set<std::string> DeclaredSetters()
{
    const std::filesystem::path src = std::filesystem::path(KV_TEST_SOURCE_DIR) / ".." / ".." / "src";
    const std::regex declaration(R"(^[A-Za-z][^(;]*\bSet([A-Z]\w*)\()");
    std::set<std::string> names;
    for (const char* layer : {"platform", "base", "projection", "shading", "world", "document", "view", "exchange"}) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(src / layer)) {
            if (entry.path().extension() != ".h")
                continue;
            std::ifstream file(entry.path());
            std::string line;
            std::smatch match;
            while (std::getline(file, line))
                if (std::regex_search(line, match, declaration))
                    names.insert(match[1]);
        }
    }
    return names;
}

template <class D> D* As(QDialog* dialog)
{
    D* d = qobject_cast<D*>(dialog);
    EXPECT_NE(d, nullptr);
    return d;
}

void ClickOk(QDialog* dialog)
{
    for (auto* b : dialog->findChildren<QPushButton*>())
        if (b->text().remove('&') == "OK") {
            b->click();
            return;
        }
}

} // namespace

TEST(ProgramStartup, EveryServiceSlotIsInstalledByTheProgram)
{
    std::set<std::string> registered;
    for (const ServiceSlotInfo& slot : RegisteredServiceSlots())
        registered.insert(slot.name);
    // Every setter of the layers below is a registered slot or knowingly something else, so
    // a new service cannot miss the check below.
    for (const std::string& name : DeclaredSetters())
        EXPECT_TRUE(registered.count(name) == 1 || kNotServices.count(name) == 1)
            << "Set" << name << " is neither a registered service slot nor listed as no service";
    for (const std::string& name : registered)
        EXPECT_EQ(kNotServices.count(name), 0u) << name;
    EXPECT_GE(registered.size(), 28u);

    App run;
    ASSERT_TRUE(run.started);
    for (const ServiceSlotInfo& slot : RegisteredServiceSlots())
        EXPECT_TRUE(slot.installed()) << slot.name << " is not installed by the program's start-up";
}

TEST(ProgramStartup, GlobeExportFromTheRealFrameWritesLevelPicturesAndKey)
{
    REQUIRE_TOOL("identify");
    App run;
    ASSERT_TRUE(run.started);
    CommandRouter& router = run.app->Router();
    router.Execute(doccmd::kGlobeSetup);
    ScratchFolder out;
    const std::string folder = (out.path / "globe").string();

    auto answer = [&](bool levelThree, int fileSet) {
        return [=](QDialog* d) {
            auto* dlg = As<CGlobeExportDlgFace>(d);
            dlg->findChild<QLineEdit*>(QString::number(CGlobeExportDlgFace::kDirectoryId))->setText(
                QString::fromStdString(folder));
            dlg->findChild<QCheckBox*>(QString::number(CGlobeExportDlgFace::kLinkFileId))->setChecked(false);
            if (dlg->LevelBox(2)->isChecked() != levelThree)
                dlg->LevelBox(2)->click();
            dlg->FileSetBox()->setCurrentIndex(fileSet);
            ClickOk(d);
        };
    };
    {
        ModalAnswerer answerer(answer(true, 0));
        router.Execute(doccmd::kGlobeExport);
        EXPECT_EQ(answerer.answered, 1);
    }
    for (int level = 1; level <= 4; ++level) {
        const std::string file = folder + "/Globe" + std::to_string(level) + "a.bmp";
        const ToolRun id = RunTool("identify -format '%w %h' '" + file + "'");
        ASSERT_EQ(id.status, 0) << file << id.err;
        EXPECT_EQ(id.out, std::to_string(512 << (level - 1)) + " " + std::to_string(256 << (level - 1)));
    }
    EXPECT_TRUE(std::filesystem::exists(folder + "/L0Key.txt"));
    // The picture is the world, not a blank: it holds more than one colour.
    VideoBuffer level1;
    ASSERT_EQ(level1.LoadImageFile(folder + "/Globe1a.bmp"), 0);
    bool varied = false;
    for (int x = 0; x < level1.GetWidth() && !varied; x += 7)
        varied = (level1.GetPixel(x, 128) & 0xFFFFFF) != (level1.GetPixel(0, 128) & 0xFFFFFF);
    EXPECT_TRUE(varied);

    // Level 3 off (and so level 4) in the second file set.
    {
        ModalAnswerer answerer(answer(false, 1));
        router.Execute(doccmd::kGlobeExport);
    }
    EXPECT_TRUE(std::filesystem::exists(folder + "/Globe1b.bmp"));
    EXPECT_TRUE(std::filesystem::exists(folder + "/Globe2b.bmp"));
    EXPECT_FALSE(std::filesystem::exists(folder + "/Globe3b.bmp"));
    EXPECT_FALSE(std::filesystem::exists(folder + "/Globe4b.bmp"));
    // Only the setup's message: no failure was reported.
    EXPECT_EQ(run.app->Messages().Shown().size(), 1u);
}

TEST(ProgramStartup, BackgroundAndImageClimateOpenTheirDialogsFromTheMapMenu)
{
    App run;
    ASSERT_TRUE(run.started);
    CommandRouter& router = run.app->Router();
    CKVView& view = run.app->Map()->View();
    view.SetShader(kShaderAltitude);
    for (int id : {viewcmd::kBackground, viewcmd::kShowImageClimate})
        EXPECT_TRUE(router.Update(id).enabled) << id;

    // Background: the chosen pattern and colours become the view's on OK.
    {
        ModalAnswerer answerer([](QDialog* d) {
            auto* dlg = As<CBackgroundDlg>(d);
            dlg->OnPatternClicked(4);
            dlg->values.foreground = 0x0000FF;
            ClickOk(d);
        });
        router.Execute(viewcmd::kBackground);
        EXPECT_EQ(answerer.answered, 1);
    }
    EXPECT_EQ(view.Settings().hatchIndex, 4);
    EXPECT_EQ(view.Settings().hatchColor, 0x0000FFu);

    // Show Image Climate: the dialog names an image; the view takes the image climate shader.
    ScratchFolder out;
    VideoBuffer chart;
    ASSERT_EQ(chart.Create(16, 16, 24), 0);
    chart.Clear(0x00FF00);
    const std::string image = out / "climate.bmp";
    ASSERT_EQ(chart.SaveBMP(image), 0);
    {
        ModalAnswerer answerer([&](QDialog* d) {
            auto* dlg = As<CImageClimateDlg>(d);
            EXPECT_EQ(dlg->windowTitle(), "Alternate Climate Coloration");
            dlg->findChild<QLineEdit*>(QString::number(5141))->setText(QString::fromStdString(image));
            dlg->findChild<QCheckBox*>(QString::number(5638))->setChecked(true);
            ClickOk(d);
        });
        router.Execute(viewcmd::kShowImageClimate);
        EXPECT_EQ(answerer.answered, 1);
    }
    EXPECT_EQ(view.GetShader(), kShaderImgClimate);
    EXPECT_TRUE(router.Update(viewcmd::kShowImageClimate).checked);
    EXPECT_TRUE(run.app->Messages().Shown().empty());
}

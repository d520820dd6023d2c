// The real start-up: every service slot of the lower layers is filled by the program itself,
// and the commands that lean on those services work from the real main frame.
#include "base/Progress.h"
#include "base/ServiceSlots.h"
#include "base/raster/VideoBuffer.h"
#include "document/CKVDoc.h"
#include "document/DocumentCommands.h"
#include "document/ColorLinks.h"
#include "document/DocumentServices.h"
#include "gui/app/CmdLineInfo.h"
#include "gui/app/KVApp.h"
#include "gui/app/ProfileSettings.h"
#include "gui/dialogs/CAboutDlg.h"
#include "gui/dialogs/CAltColorDlg.h"
#include "gui/dialogs/CBackgroundDlg.h"
#include "gui/dialogs/CColorLinksDlg.h"
#include "gui/dialogs/CImageOverlayListDlg.h"
#include "gui/dialogs/CGlobeExportDlg.h"
#include "gui/dialogs/CImageClimateDlg.h"
#include "gui/frame/CMainFrame.h"
#include "gui/progress/CProgressDlg.h"
#include "gui/view/MapWidget.h"
#include "shading/ShaderIds.h"
#include "view/CKVView.h"
#include "view/ViewCommandIds.h"

#include "DialogDriver.h"
#include "InputEvents.h"
#include "OutsideTools.h"
#include "QtTestApp.h"
#include "StartedApp.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWindow>

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <type_traits>
#include <typeinfo>

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
    "AtlasRoot",            // places an atlas's root map from its source
};

using App = StartedApp;

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
    view.PrepareRender();
    ASSERT_TRUE(view.IsPrepared());
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
    // The new hatch is painted by a full preparation, asked for at once.
    EXPECT_FALSE(view.IsPrepared());

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

TEST(ProgramStartup, BadStartupFilesAreReportedAndTheMapShows)
{
    ScratchFolder folder;
    std::ofstream(folder / "empty.txt");
    std::ofstream(folder / "words.txt") << "just some words\nand more\n";
    std::ofstream(folder / "nogroups.txt") << "page.bmp;a,b,c,d;;;\n";
    struct Case {
        std::string path;
        const char* says;
    };
    const Case cases[] = {
        {folder / "missing.txt", "cannot be read"},
        {folder.path.string(), "cannot be read"},
        {folder / "empty.txt", "is empty"},
        {folder / "words.txt", "is not a list of start-up pages"},
        {folder / "nogroups.txt", "is not a list of start-up pages"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        CCmdLineInfo info;
        info.startupFile = c.path;
        App run(info);
        ASSERT_TRUE(run.started);
        ASSERT_EQ(run.app->Messages().Shown().size(), 1u);
        const std::string& text = run.app->Messages().Shown()[0];
        EXPECT_NE(text.find(c.path), std::string::npos) << text;
        EXPECT_NE(text.find(c.says), std::string::npos) << text;
        // The map as usual: no guide open, the window not held at the guide's size.
        EXPECT_FALSE(run.app->HasStartupFile());
        EXPECT_NE(run.app->MainFrame()->minimumSize(), run.app->MainFrame()->maximumSize());
    }
}

TEST(ProgramStartup, StartupPagesAreDrawnAndPagedUntilClosed)
{
    ScratchFolder folder;
    auto picture = [&](const char* name, uint32_t colour) {
        VideoBuffer page;
        ASSERT_EQ(page.Create(64, 48, 24), 0);
        page.Clear(colour);
        ASSERT_EQ(page.SaveBMP(folder / name), 0);
    };
    picture("one.bmp", 0x0000FF); // red (0x00BBGGRR)
    picture("two.bmp", 0xFF0000); // blue
    // Next at the top left, previous right of it, close below it; the third page's picture
    // is missing: its name and buttons are drawn instead.
    std::ofstream(folder / "guide.txt") << "one.bmp;0,0,60,60;100,0,160,60;0,80,60,140;\n"
                                         << "two.bmp;0,0,60,60;100,0,160,60;0,80,60,140;\n"
                                         << "gone.bmp;0,0,60,60;100,0,160,60;0,80,60,140;\n";
    CCmdLineInfo info;
    info.startupFile = folder / "guide.txt";
    App run(info);
    ASSERT_TRUE(run.started);
    EXPECT_TRUE(run.app->Messages().Shown().empty());
    ASSERT_TRUE(run.app->HasStartupFile());
    MapWidget* map = run.app->Map();
    auto centre = [&] {
        map->RefreshScreenImage();
        return map->ScreenImage().pixel(map->width() / 2, map->height() / 2) & 0xFFFFFFu;
    };
    EXPECT_EQ(centre(), 0xFF0000u); // QImage red
    Click(map, QPoint(30, 30));     // next
    EXPECT_EQ(run.app->GetStartupLine(), 1);
    EXPECT_EQ(centre(), 0x0000FFu); // blue
    Click(map, QPoint(130, 30));    // previous
    EXPECT_EQ(run.app->GetStartupLine(), 0);
    Click(map, QPoint(30, 30));
    Click(map, QPoint(30, 30));
    EXPECT_EQ(run.app->GetStartupLine(), 2);
    EXPECT_EQ(centre() & 0xFFFFFFu, 0xFFFFFFu); // the text page's white
    Click(map, QPoint(30, 30));     // past the last line: stays
    EXPECT_EQ(run.app->GetStartupLine(), 2);
    Click(map, QPoint(30, 110));    // close
    EXPECT_FALSE(run.app->HasStartupFile());
    EXPECT_EQ(run.app->GetStartupLine(), -1);
}

TEST(ProgramStartup, SplashProgressAndModelessWindowsStayAboveTheMainWindow)
{
    App run;
    ASSERT_TRUE(run.started);
    QWindow* main = run.app->MainFrame()->windowHandle();
    ASSERT_NE(main, nullptr);
    // The window the system window of the first top-level window of a type stays above.
    auto owner = [](auto* type) -> QWindow* {
        using Window = std::remove_pointer_t<decltype(type)>;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (dynamic_cast<Window*>(w) && w->isVisible() && w->windowHandle())
                return w->windowHandle()->transientParent();
        ADD_FAILURE() << "no " << typeid(Window).name();
        return nullptr;
    };
    // The long splash is owned by the main window.
    {
        CSplashWnd splash(run.app->MainFrame());
        EXPECT_EQ(splash.windowHandle()->transientParent(), main);
    }
    // The progress dialog of a long operation.
    ProgressBeginHook("Working", 1);
    EXPECT_EQ(owner(static_cast<CProgressDlg*>(nullptr)), main);
    EXPECT_FALSE(run.app->MainFrame()->isEnabled());
    ProgressEndHook();
    EXPECT_TRUE(run.app->MainFrame()->isEnabled());
    // The modeless windows: image overlays, colour links, colour to altitude.
    run.app->GetActiveDoc()->GetOverlays().ShowDialog(5);
    EXPECT_EQ(owner(static_cast<CImageOverlayListDlg*>(nullptr)), main);
    ColorLinks::GetInstance().ShowWindow(true);
    EXPECT_EQ(owner(static_cast<CColorLinksDlg*>(nullptr)), main);
    ColorLinks::GetInstance().ShowWindow(false);
    run.app->Router().Execute(viewcmd::kAltColorConversion);
    EXPECT_EQ(owner(static_cast<CAltColorDlg*>(nullptr)), main);
}

// The "PW2 Export" dialog over a scratch export folder: its list and the file commands
// with the name prompt answered through the window, refusals that leave the folder as it
// was, damaged definitions on Edit and Export World, Create from "Default.xpt", and the
// Save PW2 File command of the program.
#include "gui/exchange/CExportSettingsDlg.h"

#include "base/MessageService.h"
#include "document/CKVDoc.h"
#include "exchange/ExportDialogs.h"
#include "exchange/PW2Output.h"
#include "gui/app/KVApp.h"
#include "gui/app/ProfileSettings.h"
#include "gui/commands/CommandIds.h"
#include "gui/controls/CFileNameDlg.h"
#include "gui/exchange/CExportWizard.h"

#include "DialogDriver.h"
#include "WorldFixtures.h"
#include "DocumentFixtures.h"
#include "OutsideTools.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

using namespace kv;
namespace fs = std::filesystem;

namespace {

using Answers = QuestionRecorder;

// Save-file questions: recorded, answered with `path`.
struct SaveAnswer : ExportDialogs {
    SaveAnswer() { m_previous = SetExportDialogs(this); }
    ~SaveAnswer() override { SetExportDialogs(m_previous); }
    bool SaveFile(SaveFileRequest&, std::string& chosen) override
    {
        ++asked;
        chosen = path;
        return true;
    }
    int asked = 0;
    std::string path;

private:
    ExportDialogs* m_previous = nullptr;
};

std::vector<std::string> Names(const CExportSettingsDlg& dlg)
{
    std::vector<std::string> names;
    for (int i = 0; i < dlg.List()->count(); ++i)
        names.push_back(dlg.List()->item(i)->text().toStdString());
    return names;
}

void Select(CExportSettingsDlg& dlg, const char* name)
{
    const auto items = dlg.List()->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1);
    dlg.List()->setCurrentItem(items.front());
}

std::vector<std::string> Files(const ScratchFolder& dir)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir.path))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string Title(const std::string& path)
{
    PW2Output d;
    EXPECT_EQ(d.LoadFromFile(path), 0) << path;
    return d.mapTitle;
}

// Answers the name prompt with `text` and presses OK.
ModalAnswerer::Answer Name(const char* text)
{
    return [text](QDialog* dialog) {
        auto* prompt = qobject_cast<CFileNameDlg*>(dialog);
        ASSERT_NE(prompt, nullptr);
        EXPECT_EQ(prompt->windowTitle(), "Enter Setting Name");
        prompt->NameEdit()->setText(text);
        prompt->accept();
    };
}

// Clicks through the wizard to its Finish.
void FinishWizard(QDialog* dialog)
{
    auto* w = qobject_cast<CExportWizard*>(dialog);
    ASSERT_NE(w, nullptr);
    for (int k = 0; k < 8 && !!w->FinishButton()->isHidden(); ++k)
        w->NextButton()->click();
    w->FinishButton()->click();
}

struct Installed {
    Installed()
    {
        TestApp();
        InstallExportDefinitionWindows();
    }
    ~Installed() { RemoveExportDefinitionWindows(); }
};

} // namespace

TEST(CExportSettingsDlg, FileCommandsThroughTheNamePrompt)
{
    Installed installed;
    Answers answers;
    ScratchFolder dir;
    PW2Output d;
    d.mapTitle = "coast";
    ASSERT_EQ(d.SaveToFile(dir / "Coast.xpt"), 0);
    d.mapTitle = "relief";
    ASSERT_EQ(d.SaveToFile(dir / "Relief.xpt"), 0);
    CExportSettingsDlg dlg(dir.path.string() + "/", AtlasSource());
    EXPECT_EQ(dlg.windowTitle(), "PW2 Export");
    EXPECT_EQ(Names(dlg), (std::vector<std::string>{"Coast", "Relief"}));

    // Nothing selected: the commands do nothing.
    dlg.OnDuplicate();
    dlg.OnRename();
    dlg.OnDelete();
    EXPECT_TRUE(answers.shown.empty() && answers.asked.empty());

    Select(dlg, "Coast");
    dlg.OnDuplicate();
    EXPECT_EQ(Names(dlg), (std::vector<std::string>{"Coast", "Copy of Coast", "Relief"}));
    EXPECT_EQ(dlg.Selected(), "Copy of Coast");
    EXPECT_EQ(Title(dir / "Copy of Coast.xpt"), "coast");
    // Duplicating again would overwrite that copy: refused, the copy kept.
    d.mapTitle = "changed copy";
    ASSERT_EQ(d.SaveToFile(dir / "Copy of Coast.xpt"), 0);
    Select(dlg, "Coast");
    dlg.OnDuplicate();
    EXPECT_EQ(answers.shown.back(), "Error copying \"Coast\"");
    EXPECT_EQ(Title(dir / "Copy of Coast.xpt"), "changed copy");

    // Renaming to the same name does nothing (not even the overwrite question).
    const std::vector<std::string> before = Files(dir);
    {
        ModalAnswerer answer(Name("Coast"));
        dlg.OnRename();
        EXPECT_EQ(answer.answered, 1);
        EXPECT_EQ(answer.leftOpen, 0);
    }
    EXPECT_EQ(Files(dir), before);
    EXPECT_EQ(Title(dir / "Coast.xpt"), "coast");
    // No names: the prompt stays open (then cancelled) and nothing is written.
    for (const char* bad : {"", "   ", "a/b", ".", ".."}) {
        ModalAnswerer answer(Name(bad));
        Select(dlg, "Coast");
        dlg.OnRename();
        EXPECT_EQ(answer.leftOpen, 1) << bad;
        EXPECT_EQ(Files(dir), before) << bad;
    }
    // A new name.
    {
        ModalAnswerer answer(Name("Shore"));
        Select(dlg, "Coast");
        dlg.OnRename();
    }
    EXPECT_EQ(Names(dlg), (std::vector<std::string>{"Copy of Coast", "Relief", "Shore"}));
    EXPECT_EQ(Title(dir / "Shore.xpt"), "coast");

    // Delete after asking.
    Select(dlg, "Relief");
    dlg.OnDelete();
    EXPECT_EQ(answers.asked.back(), "Delete \"Relief\"?");
    EXPECT_EQ(Names(dlg), (std::vector<std::string>{"Copy of Coast", "Shore"}));
    EXPECT_FALSE(fs::exists(dir / "Relief.xpt"));
}

TEST(CExportSettingsDlg, DamagedDefinitionsAreReportedAndNothingIsWritten)
{
    Installed installed;
    Answers answers;
    SaveAnswer save;
    ScratchFolder dir;
    PW2Output d;
    d.mapTitle = "a title long enough to be cut";
    ASSERT_EQ(d.SaveToFile(dir / "Whole.xpt"), 0);
    const std::vector<uint8_t> whole = [&] {
        std::ifstream in(dir / "Whole.xpt", std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }();
    WriteBytes(dir / "Short.xpt", {8, 1, 0});
    WriteBytes(dir / "Foreign.xpt", std::vector<uint8_t>(whole.size(), 0xFF));
    WriteBytes(dir / "Truncated.xpt", std::vector<uint8_t>(whole.begin(), whole.begin() + whole.size() / 2));
    DocumentEnvironment env;
    CKVDoc doc;
    AtlasSource view;
    view.document = &doc;
    CExportSettingsDlg dlg(dir.path.string(), view);
    save.path = dir / "out.fcw";
    for (const char* name : {"Short", "Foreign", "Truncated"}) {
        SCOPED_TRACE(name);
        const std::vector<std::string> files = Files(dir);
        const std::string message = std::string("Unable to read file \"") + name + "\".\nFile may be corrupted";
        // Edit: no wizard opens.
        ModalAnswerer answer(FinishWizard);
        Select(dlg, name);
        dlg.OnEdit();
        EXPECT_EQ(answer.answered, 0);
        EXPECT_EQ(answers.shown.back(), message);
        // Export World: no file is asked for or written.
        answers.shown.clear();
        dlg.OnExport();
        EXPECT_EQ(answers.shown, std::vector<std::string>{message});
        EXPECT_EQ(save.asked, 0);
        EXPECT_EQ(Files(dir), files);
    }
    dlg.List()->clearSelection();
    dlg.OnExport();
    EXPECT_EQ(answers.shown.back(), "Select export settings before exporting");
}

TEST(CExportSettingsDlg, CreateStartsFromTheDefaultBesideTheSettingsAndEditSavesBack)
{
    Installed installed;
    Answers answers;
    DocumentEnvironment env;
    EXPECT_EQ(DefaultDefinitionPath(), (env.folder / "Default.xpt").string());
    PW2Output defaults;
    defaults.mapTitle = "from default";
    ASSERT_EQ(defaults.SaveToFile(DefaultDefinitionPath()), 0);
    ScratchFolder dir;
    CExportSettingsDlg dlg(dir.path.string(), AtlasSource());
    {
        ModalAnswerer answer(std::deque<ModalAnswerer::Answer>{FinishWizard, Name("Atlas")});
        dlg.OnCreate();
        EXPECT_EQ(answer.answered, 2);
    }
    EXPECT_EQ(Names(dlg), std::vector<std::string>{"Atlas"});
    EXPECT_EQ(Title(dir / "Atlas.xpt"), "from default");
    // Edit: the wizard's changes go back into the same file; Cancel changes nothing.
    Select(dlg, "Atlas");
    // Edit's wizard: the title set to "edited" on the frills page, then Cancel or Finish.
    const auto editTitle = [&](bool finish) {
        ModalAnswerer answer([finish](QDialog* dialog) {
            auto* w = qobject_cast<CExportWizard*>(dialog);
            ASSERT_NE(w, nullptr);
            for (int k = 0; k < 8 && w->CurrentPage() != kPageFrills; ++k)
                w->NextButton()->click();
            w->frills->titleText->setText("edited");
            (finish ? w->FinishButton() : w->CancelButton())->click();
        });
        dlg.OnEdit();
    };
    editTitle(false);
    EXPECT_EQ(Title(dir / "Atlas.xpt"), "from default");
    editTitle(true);
    EXPECT_EQ(Title(dir / "Atlas.xpt"), "edited");

    // An install folder that cannot be written: the profile folder's, as for the settings.
    env.settings.WriteString("Settings", "Install", (env.folder / "missing").string());
    EXPECT_EQ(DefaultDefinitionPath(), (env.folder / "profile" / "Default.xpt").string());
    EXPECT_TRUE(answers.shown.empty());
}

TEST(KVApp, SavePW2FileOpensTheExportDialogOnTheExportFolder)
{
    TestApp();
    QTemporaryDir dir;
    ProfileSettings profile(dir.filePath("profile.ini"));
    profile.WriteString("Settings", "Install", dir.path().toStdString());
    profile.WriteInt("Settings", "RF", 0);
    fs::create_directories(dir.filePath("Export").toStdString());
    PW2Output d;
    ASSERT_EQ(d.SaveToFile(dir.filePath("Export/Coast.xpt").toStdString()), 0);
    CKVApp app(&profile);
    app.Messages().Script({});
    app.Prompts().ScriptPaths({});
    ASSERT_TRUE(app.InitInstance(CCmdLineInfo{}));
    ASSERT_TRUE(app.Router().Update(cmd::kFileSavePW2).enabled);
    std::vector<std::string> listed;
    {
        ModalAnswerer answer([&](QDialog* dialog) {
            auto* dlg = qobject_cast<CExportSettingsDlg*>(dialog);
            ASSERT_NE(dlg, nullptr);
            listed = Names(*dlg);
            dlg->reject();
        });
        EXPECT_TRUE(app.Router().Execute(cmd::kFileSavePW2));
        EXPECT_EQ(answer.answered, 1);
    }
    EXPECT_EQ(listed, std::vector<std::string>{"Coast"});
    app.ExitInstance();
}

// Run Script: the file dialog's start, the script run on the active document, the hint
// and the remembered path.
#include "DocumentFixtures.h"

#include "base/AppFolders.h"
#include "document/CKVDoc.h"
#include "document/DocumentCommands.h"
#include "document/TerrainDialogs.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace kv;

namespace {

struct ScriptDialog : TerrainDialogs {
    ScriptDialog() { m_previous = SetTerrainDialogs(this); }
    ~ScriptDialog() override { SetTerrainDialogs(m_previous); }
    bool RunFileDialog(CSelectionFileDlg& d) override
    {
        shown = d;
        d.path = answer;
        return ok;
    }
    CSelectionFileDlg shown;
    std::string answer;
    bool ok = true;

private:
    TerrainDialogs* m_previous = nullptr;
};

} // namespace

TEST(RunScript, RunsTheChosenFileOnTheActiveDocument)
{
    DocumentEnvironment env;
    DocCommandMemory::Reset();
    CKVDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    ActiveDocument active(&doc);
    HintRecorder hints;
    ScriptDialog dialog;
    const std::string script = (env.folder / "all.ksr").string();
    std::ofstream(script) << "select a\n";

    dialog.ok = false;
    doc.OnRunScript();
    EXPECT_EQ(dialog.shown.title, "Load Script File");
    EXPECT_EQ(dialog.shown.filter, "KV Script Files (*.ksr)|*.ksr|All Files (*.*)|*.*||");
    EXPECT_TRUE(dialog.shown.open);
    EXPECT_EQ(dialog.shown.path, GetScriptsDir(env.settings) + "*.ksr");
    EXPECT_FALSE(doc.GetSelection().IsActive());
    EXPECT_TRUE(hints.sent.empty());

    dialog.ok = true;
    dialog.answer = script;
    doc.OnRunScript();
    EXPECT_TRUE(doc.GetSelection().IsActive());
    ASSERT_FALSE(hints.sent.empty());
    EXPECT_EQ(hints.sent.back().hint, 1);
    doc.OnRunScript();
    EXPECT_EQ(dialog.shown.path, script);
    DocCommandMemory::Reset();
}

// Run Script: the file dialog's start, the script run on the active document, the hint
// and the remembered path.
#include "DocumentFixtures.h"
#include "WorldFixtures.h"

#include "base/AppFolders.h"
#include "document/CKVDoc.h"
#include "document/DocumentCommands.h"
#include "document/ScriptInterpreter.h"
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

// Lines that are not run are listed in one message with their numbers and reasons; the
// world keeps what the good lines did.
TEST(RunScript, RefusedLinesAreListedInOneMessage)
{
    DocumentEnvironment env;
    DocCommandMemory::Reset();
    CKVDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    ActiveDocument active(&doc);
    ScriptDialog dialog;
    MessageRecorder messages;
    dialog.answer = (env.folder / "mixed.ksr").string();
    std::ofstream(dialog.answer) << "tool f o 250\n"
                                    "paint everything\n"
                                    "tool f o nan\n"
                                    "tool f o 1e999\n"
                                    "# only a comment\n"
                                    "select a\n"
                                    "tool z o 1\n";
    doc.OnRunScript();
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0],
              "4 lines of mixed.ksr were not run (the other lines were):\n"
              "Line 2: not a command (\"tool\" or \"select\" and an operation), or too long\n"
              "Line 3: unknown channel, bad range or a number that is not usable\n"
              "Line 4: unknown channel, bad range or a number that is not usable\n"
              "Line 7: unknown tool operation");
    EXPECT_TRUE(doc.GetSelection().IsActive());
    const Grid2D* offset = doc.GetWorld().Channel(kChannelLandOffset);
    EXPECT_EQ(offset->Rows<float>()[3][5], 250.0f);

    // A clean script says nothing; one that cannot be opened says so.
    std::ofstream(dialog.answer) << "select a\n";
    doc.OnRunScript();
    EXPECT_EQ(messages.texts.size(), 1u);
    dialog.answer = (env.folder / "absent.ksr").string();
    doc.OnRunScript();
    ASSERT_EQ(messages.texts.size(), 2u);
    EXPECT_EQ(messages.texts[1], "Unable to open file " + dialog.answer);
    // Past the listed number the rest are counted.
    std::vector<ScriptLineResult> many(kMostRefusalsListed + 3, ScriptLineResult{9, kScriptBadTool});
    const std::string text = ScriptRefusalsMessage("x.ksr", many);
    EXPECT_EQ(text.substr(text.rfind('\n') + 1), "... and 3 more");
    DocCommandMemory::Reset();
}

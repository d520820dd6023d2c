// The PW2 Export dialog's file commands in a scratch folder: Create and Edit through the
// wizard, Delete, Rename and Duplicate with their refusals and messages.
#include "exchange/ExportDefinitionFiles.h"

#include "base/MessageService.h"
#include "exchange/PW2Output.h"

#include "OutsideTools.h"

#include <gtest/gtest.h>

using namespace kv;
namespace fs = std::filesystem;

namespace {

struct Replies : MessageService, DefinitionNamePrompt, ExportWizard {
    Replies()
    {
        m_messages = SetMessageService(this);
        m_prompt = SetDefinitionNamePrompt(this);
        m_wizard = SetExportWizard(this);
    }
    ~Replies() override
    {
        SetMessageService(m_messages);
        SetDefinitionNamePrompt(m_prompt);
        SetExportWizard(m_wizard);
    }
    void Show(const std::string& text) override { shown.push_back(text); }
    bool AskYesNo(const std::string& text) override
    {
        asked.push_back(text);
        return yes;
    }
    bool Ask(std::string& n) override
    {
        n = name;
        return true;
    }
    int Run(PW2Output& d) override
    {
        seenWidth = d.drawingWidth;
        d.mapTitle = title;
        return finish ? kFinished : kCancelled;
    }
    std::vector<std::string> shown, asked;
    bool yes = true, finish = true;
    std::string name, title = "edited";
    int seenWidth = 0;

private:
    MessageService* m_messages;
    DefinitionNamePrompt* m_prompt;
    ExportWizard* m_wizard;
};

std::string Title(const std::string& path)
{
    PW2Output d;
    EXPECT_EQ(d.LoadFromFile(path), 0) << path;
    return d.mapTitle;
}

} // namespace

TEST(ExportDefinitionFiles, CreateAndEditThroughTheWizard)
{
    ScratchFolder dir;
    Replies r;
    PW2Output defaults;
    defaults.mapTitle = "from default";
    defaults.drawingWidth = 300;
    ASSERT_EQ(defaults.SaveToFile(dir / "Default.xpt"), 0);
    r.name = "Coast";
    r.finish = false;
    EXPECT_EQ(CreateDefinition(dir.path.string(), dir / "Default.xpt"), 1);
    EXPECT_FALSE(fs::exists(dir / "Coast.xpt"));
    r.finish = true;
    ASSERT_EQ(CreateDefinition(dir.path.string(), dir / "Default.xpt"), 0);
    EXPECT_EQ(r.seenWidth, 1000);
    EXPECT_EQ(Title(dir / "Coast.xpt"), "edited");

    r.title = "again";
    ASSERT_EQ(EditDefinition(dir.path.string(), "Coast"), 0);
    EXPECT_EQ(Title(dir / "Coast.xpt"), "again");
    // A damaged file is reported and left alone.
    WriteBytes(dir / "Bad.xpt", {1, 2, 3});
    EXPECT_LT(EditDefinition(dir.path.string(), "Bad"), 0);
    EXPECT_EQ(r.shown.back(), "Unable to read file \"Bad\".\nFile may be corrupted");
}

TEST(ExportDefinitionFiles, DeleteRenameDuplicate)
{
    ScratchFolder dir;
    Replies r;
    const std::string folder = dir.path.string();
    PW2Output d;
    d.mapTitle = "coast";
    ASSERT_EQ(d.SaveToFile(dir / "Coast.xpt"), 0);
    d.mapTitle = "relief";
    ASSERT_EQ(d.SaveToFile(dir / "Relief.xpt"), 0);

    ASSERT_EQ(DuplicateDefinition(folder, "Coast"), 0);
    EXPECT_EQ(Title(dir / "Copy of Coast.xpt"), "coast");
    // A second copy would overwrite the first: refused.
    EXPECT_LT(DuplicateDefinition(folder, "Coast"), 0);
    EXPECT_EQ(r.shown.back(), "Error copying \"Coast\"");

    // Rename onto the same name keeps the file; onto another name replaces that file.
    r.name = "Coast";
    EXPECT_EQ(RenameDefinition(folder, "Coast"), 1);
    EXPECT_TRUE(fs::exists(dir / "Coast.xpt"));
    r.name = "Relief";
    ASSERT_EQ(RenameDefinition(folder, "Coast"), 0);
    EXPECT_FALSE(fs::exists(dir / "Coast.xpt"));
    EXPECT_EQ(Title(dir / "Relief.xpt"), "coast");
    for (const char* bad : {"", "a/b", ".", ".."}) {
        r.name = bad;
        EXPECT_EQ(RenameDefinition(folder, "Relief"), 1) << bad;
        EXPECT_TRUE(fs::exists(dir / "Relief.xpt"));
    }
    r.name = "Other";
    EXPECT_LT(RenameDefinition(folder, "Missing"), 0);
    EXPECT_EQ(r.shown.back(), "Error renaming \"Missing\"");

    r.yes = false;
    EXPECT_EQ(DeleteDefinition(folder, "Relief"), 1);
    EXPECT_EQ(r.asked.back(), "Delete \"Relief\"?");
    EXPECT_TRUE(fs::exists(dir / "Relief.xpt"));
    r.yes = true;
    ASSERT_EQ(DeleteDefinition(folder, "Relief"), 0);
    EXPECT_FALSE(fs::exists(dir / "Relief.xpt"));
    EXPECT_LT(DeleteDefinition(folder, "Relief"), 0);
    EXPECT_EQ(r.shown.back(), "Can't delete \"Relief\"");
}

#include "DocumentFixtures.h"
#include "document/CKVDoc.h"
#include "exchange/ExportDialogs.h"
#include "exchange/MultiFileAtlas.h"
#include "shading/ShaderRegistry.h"

namespace {

struct DrawingFileAnswer : ExportDialogs {
    DrawingFileAnswer() { m_previous = SetExportDialogs(this); }
    ~DrawingFileAnswer() override { SetExportDialogs(m_previous); }
    bool SaveFile(SaveFileRequest& request, std::string& p) override
    {
        asked = request;
        p = path;
        return true;
    }
    SaveFileRequest asked;
    std::string path;

private:
    ExportDialogs* m_previous = nullptr;
};

} // namespace

TEST(ExportDefinitionFiles, ExportWorldWritesTheViewsDrawing)
{
    DocumentEnvironment env;
    CKVDoc doc;
    ASSERT_TRUE(doc.OnNewDocument());
    RecalculateWorld(doc.GetWorld());
    GetShaderRegistry().Init(&doc.GetWorld(), &doc.GetViewSettings().light);
    AtlasSource view;
    view.document = &doc;
    view.projection = doc.GetViewSettings().projection;
    view.light = doc.GetViewSettings().light;
    view.shaderId = doc.GetViewSettings().shaderId;
    ScratchFolder dir;
    Replies r;
    DrawingFileAnswer files;
    PW2Output plain;
    plain.altContoursOn = 0;
    plain.tempContoursOn = 0;
    ASSERT_EQ(plain.SaveToFile(dir / "Plain.xpt"), 0);

    EXPECT_EQ(ExportWorldWithDefinition(dir.path.string(), "", view), 1);
    EXPECT_EQ(r.shown.back(), "Select export settings before exporting");
    files.path = dir / "world.fcw";
    ASSERT_EQ(ExportWorldWithDefinition(dir.path.string(), "Plain", view), 0);
    EXPECT_EQ(files.asked.title, "Save PW2 File");
    EXPECT_EQ(files.asked.initialPath, "");
    EXPECT_TRUE(fs::exists(dir / "world.fcw"));
    files.path = dir / "none/world.fcw";
    EXPECT_LT(ExportWorldWithDefinition(dir.path.string(), "Plain", view), 0);
    EXPECT_EQ(files.asked.initialPath, dir / "world.fcw");
    EXPECT_EQ(r.shown.back(), "Error writing file " + dir / "none/world.fcw");
    ShaderRegistry::Destroy();
}

#include "document/CKVDoc.h"
#include "document/OverlayListActions.h"

#include "WorldFixtures.h"

#include <gtest/gtest.h>

#include <functional>

using namespace kv;

namespace {

// Answers every question with `answer`, recording texts.
struct Answering : MessageRecorder {
    bool answer = true;
    bool AskYesNo(const std::string& text) override
    {
        texts.push_back(text);
        return answer;
    }
};

struct FakeView : DocumentView {
    SurfaceSampler* GetSurfaceSampler() override { return nullptr; }
    void SetActiveOverlay(ImageOverlay* overlay) override
    {
        active = overlay;
        ++calls;
    }
    ImageOverlay* active = nullptr;
    int calls = 0;
};

// An editor that applies a change, or cancels.
struct ScriptedEditor : OverlayEditor {
    std::function<bool(ImageOverlay&)> step;
    bool Edit(ImageOverlay& copy) override { return step(copy); }
};

struct OverlayDoc : ::testing::Test {
    void SetUp() override
    {
        doc.AttachView(&view);
        doc.SetModifiedFlag(false);
    }
    void TearDown() override { doc.DetachView(&view); }
    std::vector<std::string> Names()
    {
        std::vector<std::string> names;
        for (const auto& row : actions.Rows())
            names.push_back(row.name);
        return names;
    }
    ImageOverlay* AddNamed(const std::string& name)
    {
        ScriptedEditor editor;
        editor.step = [&](ImageOverlay& copy) {
            copy.name = name;
            return true;
        };
        EXPECT_TRUE(actions.Add(editor));
        return doc.GetOverlays().At(doc.GetOverlays().Count() - 1);
    }

    Answering messages;
    ViewRecorder hints;
    FakeView view;
    CKVDoc doc;
    OverlayListActions actions{doc.GetOverlays(), &doc};
};

} // namespace

TEST_F(OverlayDoc, AddNamesUntitledAndMakesTheFirstActive)
{
    ScriptedEditor keep;
    std::string first, second;
    keep.step = [&](ImageOverlay& copy) { return first = copy.name, true; };
    ASSERT_TRUE(actions.Add(keep));
    keep.step = [&](ImageOverlay& copy) { return second = copy.name, true; };
    ASSERT_TRUE(actions.Add(keep));
    // The counter is process-wide: consecutive numbers.
    ASSERT_EQ(first.rfind("Untitled-", 0), 0u);
    EXPECT_EQ(std::stoi(second.substr(9)), std::stoi(first.substr(9)) + 1);
    EXPECT_EQ(view.active, doc.GetOverlays().At(0));
    EXPECT_EQ(doc.GetOverlays().GetActive(), doc.GetOverlays().At(0));
    EXPECT_EQ(actions.ActiveText(), first);
    EXPECT_EQ(hints.hints, (std::vector<int>{13, 13}));
    EXPECT_TRUE(doc.IsModified());

    ScriptedEditor cancel;
    cancel.step = [](ImageOverlay&) { return false; };
    EXPECT_FALSE(actions.Add(cancel));
    EXPECT_EQ(doc.GetOverlays().Count(), 2);

    const auto rows = actions.Rows();
    EXPECT_EQ(rows[0].visible, "Yes");
    EXPECT_EQ(rows[0].width, "512");
    EXPECT_EQ(rows[0].height, "256");
}

TEST_F(OverlayDoc, EmptySelectionsAreRefusedWithTheirMessages)
{
    ScriptedEditor editor;
    editor.step = [](ImageOverlay&) { return true; };
    EXPECT_FALSE(actions.Edit(-1, editor));
    EXPECT_FALSE(actions.SetVisible({}, true));
    EXPECT_FALSE(actions.SetVisible({}, false));
    EXPECT_FALSE(actions.SetActive(-1));
    EXPECT_EQ(actions.Move(-1, -1), -1);
    EXPECT_FALSE(actions.Delete(-1));
    EXPECT_EQ(messages.texts,
              (std::vector<std::string>{"Please select an entry to edit", "Please select an entry to show",
                                        "Please select an entry to hide", "Please select an entry to set active",
                                        "Please select an entry to move", "Please select an entry to delete"}));
    EXPECT_EQ(actions.ActiveText(), "<No active Overlay; no overlay tools usable>");
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(OverlayDoc, MoveSwapsNeighboursAndStopsAtTheEnds)
{
    AddNamed("a");
    AddNamed("b");
    AddNamed("c");
    hints.hints.clear();
    EXPECT_EQ(actions.Move(0, -1), 0);
    EXPECT_EQ(actions.Move(2, +1), 2);
    EXPECT_EQ(Names(), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(actions.Move(0, +1), 1);
    EXPECT_EQ(Names(), (std::vector<std::string>{"b", "a", "c"}));
    EXPECT_EQ(actions.Move(2, -1), 1);
    EXPECT_EQ(Names(), (std::vector<std::string>{"b", "c", "a"}));
    // Every move, even one that changes nothing, redraws.
    EXPECT_EQ(hints.hints.size(), 4u);
}

TEST_F(OverlayDoc, ShowHideSetActiveEditAndDelete)
{
    ImageOverlay* a = AddNamed("a");
    ImageOverlay* b = AddNamed("b");
    EXPECT_TRUE(actions.SetVisible({0, 1}, false));
    EXPECT_FALSE(a->visible);
    EXPECT_FALSE(b->visible);
    EXPECT_TRUE(actions.SetActive(1));
    EXPECT_EQ(view.active, b);
    EXPECT_TRUE(b->visible);
    EXPECT_FALSE(a->visible);

    ScriptedEditor rename;
    rename.step = [](ImageOverlay& copy) { return copy.name = "renamed", true; };
    EXPECT_TRUE(actions.Edit(1, rename));
    EXPECT_EQ(b->name, "renamed");
    EXPECT_EQ(actions.ActiveText(), "renamed");
    ScriptedEditor cancel;
    cancel.step = [](ImageOverlay& copy) { return copy.name = "lost", false; };
    EXPECT_FALSE(actions.Edit(1, cancel));
    EXPECT_EQ(b->name, "renamed");

    messages.answer = false;
    EXPECT_FALSE(actions.Delete(1));
    EXPECT_EQ(doc.GetOverlays().Count(), 2);
    EXPECT_EQ(messages.texts.back(), "Delete overlay \"renamed\"");
    messages.answer = true;
    EXPECT_TRUE(actions.Delete(1));
    EXPECT_EQ(doc.GetOverlays().Count(), 1);
    EXPECT_EQ(view.active, nullptr);
    EXPECT_EQ(doc.GetOverlays().GetActive(), nullptr);
    EXPECT_EQ(actions.ActiveText(), "<No active Overlay; no overlay tools usable>");
}

TEST(OverlayEditFields, OkSortsAltitudesConvertsFeetAndSizesPixels)
{
    ImageOverlay copy;
    copy.pixels.reset();
    OverlayEditFields f = OverlayFieldsFrom(copy, true);
    f.width = 40;
    f.height = 20;
    f.north = 10;
    f.south = -10;
    f.west = -20;
    f.east = 20;
    f.softLow = 300;
    f.hardLow = -100;
    f.hardHigh = 1000;
    f.softHigh = 0;
    f.opacity = 128;
    ASSERT_TRUE(ApplyOverlayFields(copy, f, false));
    ASSERT_TRUE(copy.HasPixels());
    EXPECT_EQ(copy.pixels->Width(), 40u);
    EXPECT_EQ(copy.pixels->Height(), 20u);
    EXPECT_EQ(copy.north, 10);
    EXPECT_FLOAT_EQ(copy.softLow, -30.48f);
    EXPECT_FLOAT_EQ(copy.hardLow, 0.0f);
    EXPECT_FLOAT_EQ(copy.hardHigh, 91.44f);
    EXPECT_FLOAT_EQ(copy.softHigh, 304.8f);
    EXPECT_EQ(OpacityPercentText(copy.opacity), "50%");
    EXPECT_EQ(OpacityPercentText(255), "100%");
    EXPECT_STREQ(OverlayAltitudeUnit(false), "ft");
    EXPECT_STREQ(OverlayAltitudeUnit(true), "m");
    // Shown back in feet.
    EXPECT_NEAR(OverlayFieldsFrom(copy, false).softHigh, 1000.0, 1e-3);

    // A size change resamples the pixels that are there.
    copy.Fill(0xFF00FF00u);
    f = OverlayFieldsFrom(copy, true);
    f.width = 16;
    f.height = 16;
    ASSERT_TRUE(ApplyOverlayFields(copy, f, true));
    EXPECT_EQ(copy.pixels->Width(), 16u);
    EXPECT_EQ(copy.PixelRow(8)[8] & 0xFFFFFF, 0x00FF00u);
}

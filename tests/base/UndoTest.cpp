#include "base/Undo.h"

#include <array>
#include <gtest/gtest.h>
#include <memory>

namespace {

// An object with a few integer channels; channel 9 cannot be captured and a saved
// value of -1 is refused on restore (a state that no longer fits).
class Channels : public kv::CUndoable {
public:
    std::array<int, 3> value{};

    class Saved : public kv::UndoData {
    public:
        int saved = 0;
        bool Capture(kv::CUndoable& owner, int channel, int extra) override
        {
            if (!kv::UndoData::Capture(owner, channel, extra))
                return false;
            saved = static_cast<Channels&>(owner).value.at(channel);
            return true;
        }
    };

    bool CreateUndoData(int channel, int extra, std::unique_ptr<kv::UndoData>& out) override
    {
        if (channel < 0 || channel >= 3)
            return false;
        auto data = std::make_unique<Saved>();
        if (!data->Capture(*this, channel, extra))
            return false;
        out = std::move(data);
        return true;
    }
    bool RestoreUndoData(kv::UndoData& data) override
    {
        auto& saved = static_cast<Saved&>(data);
        if (saved.saved == -1)
            return false;
        value.at(saved.Channel()) = saved.saved;
        return true;
    }
};

// Records a step and then edits, as every edit command does.
void Edit(kv::UndoList& list, Channels& obj, int channel, int newValue, const char* name = "Edit")
{
    list.Add(&obj, name, channel, 0);
    obj.value[channel] = newValue;
}

} // namespace

TEST(Undo, UndoRedoAcrossTwoChannelsReturnsEveryState)
{
    kv::UndoList list;
    Channels obj;
    Edit(list, obj, 0, 10, "Paint A");
    Edit(list, obj, 1, 20, "Paint B");
    Edit(list, obj, 0, 11, "Paint A again");
    ASSERT_EQ(obj.value, (std::array<int, 3>{11, 20, 0}));
    EXPECT_EQ(list.GetUndoDescription(), "Paint A again");

    // The Undo command: checkpoint when nothing can be redone, then Undo.
    EXPECT_TRUE(list.CheckpointAndUndo());
    EXPECT_TRUE(list.Undo());
    EXPECT_EQ(obj.value, (std::array<int, 3>{10, 20, 0}));
    EXPECT_TRUE(list.Undo());
    EXPECT_EQ(obj.value, (std::array<int, 3>{10, 0, 0}));
    EXPECT_TRUE(list.Undo());
    EXPECT_EQ(obj.value, (std::array<int, 3>{0, 0, 0}));
    EXPECT_FALSE(list.Undo());
    EXPECT_EQ(list.GetUndoCount(), 0);
    EXPECT_EQ(list.GetRedoCount(), 3);
    EXPECT_EQ(list.GetRedoDescription(), "Paint A");

    EXPECT_TRUE(list.Redo());
    EXPECT_EQ(obj.value, (std::array<int, 3>{10, 0, 0}));
    EXPECT_TRUE(list.Redo());
    EXPECT_EQ(obj.value, (std::array<int, 3>{10, 20, 0}));
    EXPECT_TRUE(list.Redo());
    EXPECT_EQ(obj.value, (std::array<int, 3>{11, 20, 0}));
    EXPECT_FALSE(list.Redo());
    EXPECT_EQ(list.GetRedoDescription(), "");

    // The Undo command again from the top (nothing to redo, so it checkpoints first):
    // exactly one edit is undone and exactly one redo step brings it back.
    ASSERT_EQ(list.GetRedoCount(), 0);
    EXPECT_TRUE(list.CheckpointAndUndo());
    EXPECT_TRUE(list.Undo());
    EXPECT_EQ(obj.value, (std::array<int, 3>{10, 20, 0}));
    EXPECT_EQ(list.GetUndoCount(), 2);
    EXPECT_EQ(list.GetRedoCount(), 1);
    EXPECT_EQ(list.GetUndoDescription(), "Paint B");
    EXPECT_EQ(list.GetRedoDescription(), "Paint A again");
    EXPECT_TRUE(list.Redo());
    EXPECT_EQ(obj.value, (std::array<int, 3>{11, 20, 0}));
}

TEST(Undo, NewRecordingDropsRedoStepsAndDepthDropsOldest)
{
    kv::UndoList list;
    Channels obj;
    for (int i = 1; i <= 9; ++i)
        Edit(list, obj, 0, i);
    EXPECT_EQ(list.GetUndoCount(), 8);
    // The oldest step (state 0) is gone: undoing everything stops at state 1.
    while (list.Undo()) {
    }
    EXPECT_EQ(obj.value[0], 1);

    for (int i = 0; i < 6; ++i)
        list.Redo();
    list.Undo();
    list.Undo();
    EXPECT_EQ(list.GetRedoCount(), 4);
    Edit(list, obj, 1, 5, "Other");
    EXPECT_EQ(list.GetRedoCount(), 0);
    EXPECT_EQ(list.GetUndoCount(), 5);
    EXPECT_EQ(list.GetUndoDescription(), "Other");
}

TEST(Undo, EmptyListDepthAndClear)
{
    kv::UndoList list;
    Channels obj;
    EXPECT_EQ(list.GetUndoDescription(), "");
    EXPECT_FALSE(list.Undo());
    EXPECT_FALSE(list.Redo());
    EXPECT_FALSE(list.CheckpointAndUndo());

    Edit(list, obj, 0, 1);
    EXPECT_EQ(list.SetDepth(33), -1);
    EXPECT_EQ(list.GetDepth(), 8);
    EXPECT_EQ(list.GetUndoCount(), 0);
    EXPECT_EQ(list.SetDepth(-1), -1);
    EXPECT_EQ(list.SetDepth(2), 0);
    for (int i = 0; i < 5; ++i)
        Edit(list, obj, 0, i);
    EXPECT_EQ(list.GetUndoCount(), 2);

    list.Clear();
    EXPECT_EQ(list.GetUndoCount() + list.GetRedoCount(), 0);
    EXPECT_TRUE(list.CheckpointAndUndo()); // the last recording is remembered

    // Depth 0 keeps nothing and undo does nothing.
    EXPECT_EQ(list.SetDepth(0), 0);
    EXPECT_TRUE(list.Add(&obj, "x", 0, 0));
    EXPECT_EQ(list.GetUndoCount(), 0);
    EXPECT_FALSE(list.Undo());
}

TEST(Undo, FailedCaptureIsNotKeptAndRefusedRestoreStillMoves)
{
    kv::UndoList list;
    Channels obj;
    Edit(list, obj, 0, 3);
    EXPECT_TRUE(list.Add(&obj, "Uncapturable", 9, 0));
    EXPECT_EQ(list.GetUndoCount(), 1);
    EXPECT_EQ(list.GetUndoDescription(), "Edit");

    // A saved state the object refuses: Undo returns false, the index moves anyway
    // and the object keeps its value.
    obj.value[1] = -1;
    Edit(list, obj, 1, 4);
    EXPECT_FALSE(list.Undo());
    EXPECT_EQ(obj.value[1], 4);
    EXPECT_EQ(list.GetUndoCount(), 1);
    EXPECT_EQ(list.GetRedoCount(), 1);
}

TEST(Undo, StepsOfADestroyedObjectAreNotApplied)
{
    kv::UndoList list;
    auto obj = std::make_unique<Channels>();
    Edit(list, *obj, 0, 1);
    Channels copy(*obj);
    obj.reset();
    EXPECT_FALSE(list.CheckpointAndUndo());
    EXPECT_FALSE(list.Undo());
    EXPECT_EQ(copy.value[0], 1);
    EXPECT_EQ(list.GetUndoCount(), 0);
}

TEST(Undo, GlobalListStartsWithDefaultDepth)
{
    EXPECT_EQ(kv::GetUndoList().GetDepth(), 8);
    EXPECT_EQ(&kv::GetUndoList(), &kv::GetUndoList());
}

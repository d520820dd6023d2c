// Undo steps.
//
// Every edit of the world is recorded as one step in the program-wide UndoList before
// the data changes. A step holds the saved state of the part of an object that the
// edit touches (one channel grid, the selection mask, one overlay) and a name for the
// Undo / Redo menu texts.
//
// Applying a step swaps states: the object's current state for the step's channel is
// captured, the saved state is restored, and the step keeps the captured state. So
// Undo and Redo are the same operation in opposite directions, and Undo followed by
// Redo returns every object to where it was, whichever channels the steps concern.
//
// Objects that can be recorded derive from CUndoable and make their saved state (an
// UndoData subclass) in CreateUndoData; the state hands itself back through the
// owner's RestoreUndoData when applied. Used from the user-interface thread only.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace kv {

class UndoData;

// An object whose state can be recorded in undo steps.
class CUndoable {
public:
    CUndoable();
    // A copy is a different object: it gets its own identity, so steps recorded on
    // the original never apply to the copy (and assignment keeps the target's).
    CUndoable(const CUndoable&);
    CUndoable& operator=(const CUndoable&) { return *this; }
    virtual ~CUndoable();

    // Saves the state of `channel` (with the caller's `extra` value) into a new
    // UndoData placed in `out`. Returns false (and leaves `out` empty) when the
    // state cannot be captured. The base records nothing.
    virtual bool CreateUndoData(int channel, int extra, std::unique_ptr<UndoData>& out);
    // Puts the state held in `data` back. Returns false when it no longer fits
    // the object (the object is then unchanged). The base restores nothing.
    virtual bool RestoreUndoData(UndoData& data);

    // A handle that expires when the object is destroyed. Steps refer to their
    // object through it, so a step whose object is gone is never applied.
    std::weak_ptr<CUndoable*> UndoHandle() const { return m_handle; }

private:
    std::shared_ptr<CUndoable*> m_handle;
};

// A saved state of one part of a CUndoable.
class UndoData {
public:
    UndoData() = default;
    UndoData(const UndoData&) = delete;
    UndoData& operator=(const UndoData&) = delete;
    virtual ~UndoData();

    // Remembers the owner, channel and extra value. Subclasses call this first and
    // then copy the owner's state; false when the state cannot be saved.
    virtual bool Capture(CUndoable& owner, int channel, int extra);
    // Hands the saved state back to Target()'s RestoreUndoData.
    virtual bool Apply();
    // The object Apply restores into: the owner while it lives. A subclass whose
    // target is found at apply time (and may be made then) overrides this. Applying
    // a step calls it twice: once to capture the target's current state, then again
    // inside Apply; both calls must give the same object (a target made by the
    // first call must be found by the second).
    virtual CUndoable* Target();

    // The object the state was captured from, or null once it has been destroyed.
    CUndoable* Owner() const;
    int Channel() const { return m_channel; }
    int Extra() const { return m_extra; }

private:
    std::weak_ptr<CUndoable*> m_owner;
    int m_channel = 0;
    int m_extra = 0;
};

// One step: a name and the saved state (none until captured).
class UndoBuffer {
public:
    UndoBuffer() = default;
    UndoBuffer(const UndoBuffer&) = delete;
    UndoBuffer& operator=(const UndoBuffer&) = delete;

    // Sets the step name, drops any saved state and asks `object` for its state of
    // `channel`. Returns whether a state was captured.
    bool Record(CUndoable& object, const std::string& stepName, int channel, int extra);
    // Swaps the saved state with the target's current one (see the file comment).
    // False when there is no saved state, the target is gone or refuses the state;
    // the step then keeps what it held.
    bool Apply();

    const std::string& Name() const { return m_name; }
    bool HasData() const { return m_data != nullptr; }
    UndoData* Data() const { return m_data.get(); }

private:
    std::string m_name = "Unknown";
    std::unique_ptr<UndoData> m_data;
};

class UndoList {
public:
    static constexpr int kDefaultDepth = 8;
    static constexpr int kMaxDepth = 32;

    UndoList() = default;
    UndoList(const UndoList&) = delete;
    UndoList& operator=(const UndoList&) = delete;
    ~UndoList() { Clear(); }

    // Records the state of `object`'s `channel` before an edit. Every redo step is
    // dropped; the oldest step goes when the list is full. A step whose state could
    // not be captured is not kept (the redo steps are gone all the same, as the edit
    // that follows makes them stale). Returns false only when the step cannot be
    // allocated. With depth 0 nothing is kept.
    bool Add(CUndoable* object, const std::string& stepName, int channel, int extra);
    // Reverts the step at the current index and moves the index down.
    bool Undo();
    // Re-applies the step above the current index and moves the index up.
    bool Redo();
    // Called by the Undo command before Undo when there is nothing to redo. As every
    // applied step keeps the state it replaced, the state after the last edit needs
    // no step of its own: this only checks that an edit was ever recorded (false
    // when none was, or its object is gone) and leaves the steps as they are.
    bool CheckpointAndUndo();

    int GetUndoCount() const { return m_current + 1; }
    int GetRedoCount() const { return static_cast<int>(m_steps.size()) - m_current - 1; }
    // Name of the step Undo / Redo would apply; empty when there is none.
    std::string GetUndoDescription() const;
    std::string GetRedoDescription() const;

    // Destroys every step, newest first. The last recording is remembered.
    void Clear();
    // Clears the list; a depth above kMaxDepth or below 0 gives -1 and keeps the
    // depth, else the depth is set and the result is 0.
    int SetDepth(int depth);
    int GetDepth() const { return m_depth; }

    // The step at `index` (0 oldest), for inspection.
    const UndoBuffer* Step(int index) const;

private:
    void DropAbove(int index);

    std::vector<std::unique_ptr<UndoBuffer>> m_steps;
    int m_depth = kDefaultDepth;
    int m_current = -1;
    std::weak_ptr<CUndoable*> m_lastObject;
    std::string m_lastName;
    int m_lastChannel = 0;
    int m_lastExtra = 0;
};

// The program-wide undo list.
UndoList& GetUndoList();

} // namespace kv

#include "base/Undo.h"

#include <new>

namespace kv {

CUndoable::CUndoable() : m_handle(std::make_shared<CUndoable*>(this)) {}

CUndoable::CUndoable(const CUndoable&) : m_handle(std::make_shared<CUndoable*>(this)) {}

CUndoable::~CUndoable() = default;

bool CUndoable::CreateUndoData(int, int, std::unique_ptr<UndoData>&)
{
    return false;
}

bool CUndoable::RestoreUndoData(UndoData&)
{
    return false;
}

UndoData::~UndoData() = default;

bool UndoData::Capture(CUndoable& owner, int channel, int extra)
{
    m_owner = owner.UndoHandle();
    m_channel = channel;
    m_extra = extra;
    return true;
}

bool UndoData::Apply()
{
    CUndoable* target = Target();
    return target != nullptr && target->RestoreUndoData(*this);
}

CUndoable* UndoData::Target()
{
    return Owner();
}

CUndoable* UndoData::Owner() const
{
    auto handle = m_owner.lock();
    return handle ? *handle : nullptr;
}

bool UndoBuffer::Record(CUndoable& object, const std::string& stepName, int channel, int extra)
{
    m_name = stepName;
    m_data.reset();
    std::unique_ptr<UndoData> data;
    try {
        if (!object.CreateUndoData(channel, extra, data))
            return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
    m_data = std::move(data);
    return m_data != nullptr;
}

bool UndoBuffer::Apply()
{
    if (!m_data)
        return false;
    CUndoable* target = m_data->Target();
    if (target == nullptr)
        return false;
    // The state being replaced becomes what the step holds afterwards, so applying
    // the step again (Redo after Undo, or the reverse) brings it back.
    std::unique_ptr<UndoData> current;
    try {
        if (!target->CreateUndoData(m_data->Channel(), m_data->Extra(), current))
            current.reset();
    } catch (const std::bad_alloc&) {
        current.reset();
    }
    if (!m_data->Apply())
        return false;
    if (current)
        m_data = std::move(current);
    return true;
}

void UndoList::DropAbove(int index)
{
    while (static_cast<int>(m_steps.size()) - 1 > index)
        m_steps.pop_back();
}

bool UndoList::Add(CUndoable* object, const std::string& stepName, int channel, int extra)
{
    DropAbove(m_current);
    m_current = static_cast<int>(m_steps.size()) - 1;

    std::unique_ptr<UndoBuffer> step;
    try {
        step = std::make_unique<UndoBuffer>();
        m_steps.reserve(m_steps.size() + 1);
    } catch (const std::bad_alloc&) {
        return false;
    }

    m_lastObject = object ? object->UndoHandle() : std::weak_ptr<CUndoable*>();
    m_lastName = stepName;
    m_lastChannel = channel;
    m_lastExtra = extra;

    if (object == nullptr || m_depth <= 0)
        return true;
    if (!step->Record(*object, stepName, channel, extra))
        return true;
    if (static_cast<int>(m_steps.size()) >= m_depth)
        m_steps.erase(m_steps.begin());
    m_steps.push_back(std::move(step));
    m_current = static_cast<int>(m_steps.size()) - 1;
    return true;
}

bool UndoList::Undo()
{
    if (m_current < 0 || m_current >= static_cast<int>(m_steps.size()))
        return false;
    bool applied = m_steps[m_current]->Apply();
    --m_current;
    return applied;
}

bool UndoList::Redo()
{
    int next = m_current + 1;
    if (next < 0 || next >= static_cast<int>(m_steps.size()))
        return false;
    bool applied = m_steps[next]->Apply();
    m_current = next;
    return applied;
}

bool UndoList::CheckpointAndUndo()
{
    return !m_lastObject.expired();
}

std::string UndoList::GetUndoDescription() const
{
    const UndoBuffer* step = Step(m_current);
    return step ? step->Name() : std::string();
}

std::string UndoList::GetRedoDescription() const
{
    const UndoBuffer* step = Step(m_current + 1);
    return step ? step->Name() : std::string();
}

void UndoList::Clear()
{
    DropAbove(-1);
    m_current = -1;
}

int UndoList::SetDepth(int depth)
{
    Clear();
    if (depth < 0 || depth > kMaxDepth)
        return -1;
    m_depth = depth;
    return 0;
}

const UndoBuffer* UndoList::Step(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_steps.size()))
        return nullptr;
    return m_steps[index].get();
}

UndoList& GetUndoList()
{
    static UndoList list;
    return list;
}

} // namespace kv

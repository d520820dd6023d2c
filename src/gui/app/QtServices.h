// The window side's services to the layers below: messages in message boxes (scriptable,
// so tests answer them), the keyboard's modifier state and the wait cursor, the counter new
// worlds take their seed from, and the active document of the main window.
#pragma once

#include "base/MessageService.h"
#include "document/DocumentContext.h"
#include "document/DocumentServices.h"

#include <QPointer>
#include <QWidget>

#include <deque>
#include <string>
#include <vector>

namespace kv {

class QtMessageService : public MessageService {
public:
    static constexpr const char* kTitle = "Kelvane Pro";
    enum Answer { kCancel = -1, kNo = 0, kYes = 1 };

    void SetParent(QWidget* parent) { m_parent = parent; }
    void Show(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;
    // Yes, No or Cancel.
    int AskYesNoCancel(const std::string& text);

    // Scripted answers: while any are queued, no box opens; each question takes the next
    // answer (a plain message takes none) and every text is recorded.
    void Script(std::deque<int> answers);
    void StopScript();
    bool Scripted() const { return m_scripted; }
    const std::vector<std::string>& Shown() const { return m_shown; }

private:
    int Ask(const std::string& text, bool withCancel);
    QPointer<QWidget> m_parent;
    bool m_scripted = false;
    std::deque<int> m_answers;
    std::vector<std::string> m_shown;
};

class QtInputState : public InputState {
public:
    bool IsShiftDown() const override;
    bool IsCtrlDown() const override;
    bool IsAltDown() const override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
};

// The seed of a new world: the system's monotonic high-resolution counter in nanoseconds.
class QtSeedClock : public SeedClock {
public:
    uint64_t Counter() const override;
};

} // namespace kv

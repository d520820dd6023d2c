#include "gui/app/QtServices.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QMessageBox>

namespace kv {

void QtMessageService::Show(const std::string& text)
{
    if (m_scripted) {
        m_shown.push_back(text);
        return;
    }
    QMessageBox::information(m_parent, QString::fromUtf8(kTitle), QString::fromStdString(text));
}

int QtMessageService::Ask(const std::string& text, bool withCancel)
{
    if (m_scripted) {
        m_shown.push_back(text);
        if (m_answers.empty())
            return withCancel ? kCancel : kNo;
        const int answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    const QMessageBox::StandardButtons buttons =
        withCancel ? (QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel) : (QMessageBox::Yes | QMessageBox::No);
    const auto result = QMessageBox::question(m_parent, QString::fromUtf8(kTitle), QString::fromStdString(text),
                                              buttons, QMessageBox::Yes);
    return result == QMessageBox::Yes ? kYes : result == QMessageBox::No ? kNo : kCancel;
}

bool QtMessageService::AskYesNo(const std::string& text) { return Ask(text, false) == kYes; }
int QtMessageService::AskYesNoCancel(const std::string& text) { return Ask(text, true); }

void QtMessageService::Script(std::deque<int> answers)
{
    m_scripted = true;
    m_answers = std::move(answers);
}

void QtMessageService::StopScript()
{
    m_scripted = false;
    m_answers.clear();
}

bool QtInputState::IsShiftDown() const
{
    return QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier;
}

bool QtInputState::IsCtrlDown() const
{
    return QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier;
}

bool QtInputState::IsAltDown() const { return QGuiApplication::queryKeyboardModifiers() & Qt::AltModifier; }

void QtInputState::BeginWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
void QtInputState::EndWaitCursor() { QApplication::restoreOverrideCursor(); }

uint64_t QtSeedClock::Counter() const
{
    return static_cast<uint64_t>(QDeadlineTimer::current(Qt::PreciseTimer).deadlineNSecs());
}

} // namespace kv

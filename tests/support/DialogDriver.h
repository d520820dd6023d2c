// Answers the modal dialogs a GUI test opens: each dialog that becomes modal is handed, in
// order, to the next of the test's functions (which set its widgets and press OK or
// Cancel) from inside its event loop; a dialog opened from within an answer (a nested
// one) takes the next function too.
#pragma once

#include "QtTestApp.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

class ModalAnswerer {
public:
    using Answer = std::function<void(QDialog*)>;

    explicit ModalAnswerer(Answer answer) : ModalAnswerer(std::deque<Answer>{std::move(answer)}) {}
    explicit ModalAnswerer(std::deque<Answer> answers) : m_answers(std::move(answers))
    {
        TestApp();
        StartPolling();
    }
    // Dialogs handed over, and those an answer left open (then cancelled, so that the test
    // never hangs).
    int answered = 0;
    int leftOpen = 0;

private:
    // A timer is not delivered again while its own handler runs, so an answer that opens a
    // nested dialog needs a new timer to be answered in turn.
    void StartPolling()
    {
        m_timers.push_back(std::make_unique<QTimer>());
        QTimer* timer = m_timers.back().get();
        timer->setInterval(5);
        QObject::connect(timer, &QTimer::timeout, [this, timer] { Poll(timer); });
        timer->start();
    }

    void Poll(QTimer* timer)
    {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || m_answers.empty() || Handed(dialog))
            return;
        m_handed.emplace_back(dialog);
        Answer answer = std::move(m_answers.front());
        m_answers.pop_front();
        timer->stop();
        if (!m_answers.empty())
            StartPolling();
        ++answered;
        QPointer<QDialog> guard(dialog);
        answer(dialog);
        if (guard && guard->isVisible()) {
            ++leftOpen;
            guard->reject();
        }
    }

    // A dialog already answered (a destroyed one no longer counts: the next may reuse its
    // address).
    bool Handed(const QDialog* dialog) const
    {
        for (const QPointer<QDialog>& p : m_handed)
            if (p == dialog)
                return true;
        return false;
    }

    std::deque<Answer> m_answers;
    std::vector<QPointer<QDialog>> m_handed;
    std::vector<std::unique_ptr<QTimer>> m_timers;
};

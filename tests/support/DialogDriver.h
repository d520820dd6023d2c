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
#include <vector>

class ModalAnswerer {
public:
    using Answer = std::function<void(QDialog*)>;

    explicit ModalAnswerer(Answer answer) : ModalAnswerer(std::deque<Answer>{std::move(answer)}) {}
    explicit ModalAnswerer(std::deque<Answer> answers) : m_answers(std::move(answers))
    {
        TestApp();
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
        m_timer.start();
    }
    // Dialogs handed over, and those an answer left open (then cancelled, so that the test
    // never hangs).
    int answered = 0;
    int leftOpen = 0;

private:
    void Poll()
    {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || m_answers.empty() || Handed(dialog))
            return;
        m_handed.emplace_back(dialog);
        Answer answer = std::move(m_answers.front());
        m_answers.pop_front();
        if (m_answers.empty())
            m_timer.stop();
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
    QTimer m_timer;
};

// Answers the modal dialogs a GUI test opens: the next dialog that becomes modal is handed to
// the test's function (which sets its widgets and presses OK or Cancel) from inside its
// event loop. Also a profile kept in memory for the dialogs that remember values.
#pragma once

#include "QtTestApp.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <functional>

// Calls `answer` with the next modal dialog (polling the event loop until one shows).
// `answered` counts the dialogs that were handed over.
class ModalAnswerer {
public:
    explicit ModalAnswerer(std::function<void(QDialog*)> answer) : m_answer(std::move(answer))
    {
        TestApp();
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            m_timer.stop();
            ++answered;
            m_answer(dialog);
            // A dialog the answer left open is cancelled, so that the test never hangs.
            if (dialog->isVisible()) {
                ++leftOpen;
                dialog->reject();
            }
        });
        m_timer.start();
    }
    int answered = 0;
    int leftOpen = 0;

private:
    std::function<void(QDialog*)> m_answer;
    QTimer m_timer;
};

// Presses OK on a dialog whose widgets the caller has set.
inline void PressOk(QDialog* dialog) { dialog->accept(); }

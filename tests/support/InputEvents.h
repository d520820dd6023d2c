// Mouse clicks and key presses delivered straight to a widget, as the window system would
// hand them over (the view's own handlers run; no shortcut map in between).
#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

inline void SendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton)
{
    const QPointF local(at);
    const QPointF global(widget->mapToGlobal(at));
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, local, local, global, button, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

inline void Click(QWidget* widget, QPoint at)
{
    SendMouse(widget, QEvent::MouseButtonPress, at);
    SendMouse(widget, QEvent::MouseButtonRelease, at);
}

// Press, release, then the double click and its release.
inline void DoubleClick(QWidget* widget, QPoint at)
{
    Click(widget, at);
    SendMouse(widget, QEvent::MouseButtonDblClick, at);
    SendMouse(widget, QEvent::MouseButtonRelease, at);
}

inline void KeyClick(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(widget, &release);
}

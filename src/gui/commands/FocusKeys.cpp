#include "gui/commands/FocusKeys.h"

#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace kv {

namespace {

enum class FocusKind { Other, Text, Choice };

FocusKind KindOf(const QWidget* focus)
{
    if (qobject_cast<const QLineEdit*>(focus) || qobject_cast<const QTextEdit*>(focus) ||
        qobject_cast<const QPlainTextEdit*>(focus))
        return FocusKind::Text;
    if (const auto* combo = qobject_cast<const QComboBox*>(focus))
        return combo->isEditable() ? FocusKind::Text : FocusKind::Choice;
    if (qobject_cast<const QAbstractSpinBox*>(focus))
        return FocusKind::Text;
    if (qobject_cast<const QAbstractSlider*>(focus))
        return FocusKind::Choice;
    // A text edit's viewport has the focus of its edit.
    if (focus && focus->parentWidget() &&
        (qobject_cast<const QTextEdit*>(focus->parentWidget()) ||
         qobject_cast<const QPlainTextEdit*>(focus->parentWidget())))
        return FocusKind::Text;
    return FocusKind::Other;
}

bool IsArrow(int key) { return key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down; }

bool IsPaging(int key)
{
    return key == Qt::Key_Home || key == Qt::Key_End || key == Qt::Key_PageUp || key == Qt::Key_PageDown;
}

// The map's navigation keys: arrows (Ctrl+arrows move the centre) and Backspace (Zoom Prior).
bool IsMapKey(int key, Qt::KeyboardModifiers mods)
{
    if (IsArrow(key))
        return (mods & ~(Qt::ControlModifier | Qt::ShiftModifier)) == 0;
    return key == Qt::Key_Backspace && mods == Qt::NoModifier;
}

bool TextKeeps(const QKeyEvent& key, Qt::KeyboardModifiers mods)
{
    const int k = key.key();
    if (mods & (Qt::AltModifier | Qt::MetaModifier))
        return false;
    if (IsArrow(k) || IsPaging(k) || k == Qt::Key_Backspace || k == Qt::Key_Delete)
        return true;
    if (mods & Qt::ControlModifier) {
        switch (k) {
        case Qt::Key_Z: case Qt::Key_Y: case Qt::Key_D: case Qt::Key_A:
        case Qt::Key_C: case Qt::Key_V: case Qt::Key_X: case Qt::Key_Insert:
            return true;
        default:
            return false;
        }
    }
    if (k == Qt::Key_Insert)
        return true; // Shift+Insert pastes
    // Typed text: a printable character (no Enter, Tab or Esc).
    const QString text = key.text();
    return !text.isEmpty() && text.at(0).isPrint();
}

} // namespace

bool FocusKeepsKey(const QWidget* focus, const QKeyEvent& key, const QWidget* map, const QWidget* frame)
{
    if (!focus || focus == map || focus == frame)
        return false;
    const Qt::KeyboardModifiers mods = key.modifiers() & ~Qt::KeypadModifier;
    switch (KindOf(focus)) {
    case FocusKind::Text:
        if (TextKeeps(key, mods))
            return true;
        break;
    case FocusKind::Choice:
        if ((IsArrow(key.key()) || IsPaging(key.key())) && (mods & ~Qt::ShiftModifier) == 0)
            return true;
        break;
    case FocusKind::Other:
        break;
    }
    return IsMapKey(key.key(), mods);
}

FocusKeyGuard::FocusKeyGuard(QWidget* map, QWidget* frame, QObject* parent)
    : QObject(parent), m_map(map), m_frame(frame)
{
    if (qApp)
        qApp->installEventFilter(this);
}

FocusKeyGuard::~FocusKeyGuard()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

bool FocusKeyGuard::eventFilter(QObject* watched, QEvent* event)
{
    // Asked of the focus widget first, then of its parents: answered once, for the focus.
    if (event->type() != QEvent::ShortcutOverride || watched != QApplication::focusWidget())
        return false;
    if (!FocusKeepsKey(QApplication::focusWidget(), *static_cast<QKeyEvent*>(event), m_map, m_frame))
        return false;
    event->accept();
    return true;
}

} // namespace kv

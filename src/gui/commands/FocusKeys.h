// Which keys a focused control keeps for itself before the commands' shortcuts see them:
// a text field its editing keys (arrows, Backspace, Delete, typed text, Ctrl+Z/Y/D and the
// clipboard keys), a slider, spin box or combo box its arrows and paging keys. The map's
// navigation keys (arrows, Ctrl+arrows, Backspace) act only while the map, the main
// window itself or nothing has the focus; any other control keeps them.
#pragma once

#include <QObject>
#include <QPointer>

class QKeyEvent;
class QWidget;

namespace kv {

// True when `focus` takes `key` itself, so no shortcut may act on it. `map` and `frame`
// are the widgets where the map's keys belong.
bool FocusKeepsKey(const QWidget* focus, const QKeyEvent& key, const QWidget* map, const QWidget* frame);

// Installed on the application: answers the shortcut-override question of the focused
// control with FocusKeepsKey.
class FocusKeyGuard : public QObject {
    Q_OBJECT
public:
    FocusKeyGuard(QWidget* map, QWidget* frame, QObject* parent = nullptr);
    ~FocusKeyGuard() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_map;
    QPointer<QWidget> m_frame;
};

} // namespace kv

// The program's commands: one table row per command id (menu, text with "&" mnemonic and
// "\t" key, status prompt, image), one shared QAction per id made from it, and routing of
// commands and their update handlers through the view, the document, the frame and the
// application, in that order. A command that no target handles is disabled.
#pragma once

#include <QIcon>
#include <QObject>
#include <QString>

#include <map>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace kv {

struct CommandDef {
    int id;
    const char* menu;    // the top-level menu ("&File"); null: no menu entry
    const char* text;    // "&Open...\tCtrl+O"; the text after the tab gives the key
    const char* prompt;  // status prompt, then a line feed and the tool tip
    const char* submenu = nullptr;  // the submenu of `menu` the entry stands in ("Global &Lower")
};

// The command rows in menu order; a row with id 0 is a separator of its menu.
const std::vector<CommandDef>& CommandRows();
const CommandDef* FindCommand(int id);
// Keys of a command besides the one in its text.
std::vector<const char*> ExtraKeys(int id);

// What an update handler sets.
struct CommandState {
    bool enabled = true;
    bool checkable = false;
    bool checked = false;
    QString text;        // replaces the item text when not empty
    bool visible = true;
};

class CommandTarget {
public:
    virtual ~CommandTarget() = default;
    // True when this target has a handler for `id`.
    virtual bool HasCommand(int id) const = 0;
    virtual void OnCommand(int id) = 0;
    // Adjusts the state (enabled by default); targets without an update handler keep it.
    virtual void OnUpdateCommand(int id, CommandState& state) { (void)id, (void)state; }
};

enum class RouteTarget { None, View, Document, Frame, App };

class CommandRouter {
public:
    void SetTargets(CommandTarget* view, CommandTarget* document, CommandTarget* frame, CommandTarget* app);
    // The first target with a handler.
    RouteTarget TargetOf(int id) const;
    // Runs the handler; false when none has one.
    bool Execute(int id);
    // The update state; disabled when no target has a handler.
    CommandState Update(int id) const;

private:
    CommandTarget* Target(RouteTarget which) const;
    CommandTarget* m_targets[4] = {nullptr, nullptr, nullptr, nullptr};
};

// One QAction per command id, made from the table.
class CommandActions : public QObject {
    Q_OBJECT
public:
    CommandActions(CommandRouter& router, QObject* parent = nullptr);

    QAction* Action(int id) const;
    // Runs a command through the routing (false when no target has an enabled handler).
    bool Execute(int id) { return m_router.Execute(id); }
    // Builds the menu bar from the table (rows of one menu name, wherever they stand, make
    // one menu; rows with a submenu name make that submenu); each menu and submenu updates
    // its actions when it opens.
    void BuildMenuBar(QMenuBar* bar);
    // Runs every action's update handler (menus on opening, toolbars at idle).
    void UpdateActions(const std::vector<int>& ids);
    void UpdateAll();
    void SetIcon(int id, const QIcon& icon);
    // The action ids of a menu, in order (separators left out), its submenus' included.
    std::vector<int> MenuIds(const QString& menu) const;
    // The action ids of one submenu of a menu, in order.
    std::vector<int> SubmenuIds(const QString& menu, const QString& submenu) const;

    // "&Open...\tCtrl+O" -> label "&Open...", key "Ctrl+O".
    static QString LabelOf(const char* text);
    static QString KeyOf(const char* text);

signals:
    // A menu is about to show (after its actions were updated).
    void menuAboutToShow(QMenu* menu);

private:
    CommandRouter& m_router;
    std::map<int, QAction*> m_actions;
};

} // namespace kv

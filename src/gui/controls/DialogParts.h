// Small builders the parameter dialogs share: labelled edits with their template ids, the
// OK / Cancel (/ Help) row, a bitmap as a Qt image, and the help request.
#pragma once

#include <QString>

#include <functional>

class QCheckBox;
class QComboBox;
class QDialog;
class QDialogButtonBox;
class QGridLayout;
class QImage;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace kv {

class VideoBuffer;

QLineEdit* MakeEdit(QWidget* parent, int id);
QLabel* MakeLabel(QWidget* parent, int id, const QString& text);
QComboBox* MakeCombo(QWidget* parent, int id, std::initializer_list<const char*> items);
QCheckBox* MakeCheck(QWidget* parent, int id, const QString& text);

// Adds "label [edit] unit" as the next row of a grid (label or unit may be null).
void AddRow(QGridLayout* grid, QWidget* label, QWidget* field, QWidget* unit = nullptr);

// OK (id 1) and Cancel (id 2) wired to accept and reject; with `help`, a "&Help" button
// (id 9) that calls it.
QDialogButtonBox* MakeButtons(QDialog* dialog, const std::function<void()>& help = {});

// Runs a dialog modally (the exec result). No render of the active view is prepared
// while it is open.
int RunModal(QDialog& dialog);

// The window that owns the program's modeless windows and progress dialogs: the main
// window once start-up installed it (null before, and in tests without one).
QWidget* OwnerWindow();
void SetOwnerWindow(QWidget* window);
// Keeps the top-level `window` above `owner` at the window system (a transient window)
// without making it a child, so that it stays usable while the owner is disabled.
void KeepAbove(QWidget* window, QWidget* owner);

// A copy of a 32- or 24-bit bitmap (row 0 at the top); a null image for an empty one.
QImage ToQImage(const VideoBuffer& buffer);

// Opens the help topic of a help context. The window side installs its viewer; without one
// nothing opens.
using HelpHandler = std::function<void(int context)>;
void SetHelpHandler(HelpHandler handler);
void OpenHelpContext(int context);

} // namespace kv

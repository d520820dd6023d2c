// Pieces the import and export dialogs share: number edits read in the C locale, the
// standard refusal of a value out of range, and save-file dialogs with extra controls.
#pragma once

#include <QFileDialog>
#include <QString>

#include <string>

class QGroupBox;
class QLineEdit;
class QWidget;

namespace kv {

// Integer and real texts as the system reads them ("%d", "%f"): false when the text does
// not start with a number.
bool ScanInt(const QString& text, int& value);
bool ScanDouble(const QString& text, double& value);
QString FormatReal(double value);

// Reads an integer edit within low..high; false with the standard message and the focus
// on the edit when the text is not such an integer.
bool TakeInt(QLineEdit* edit, int low, int high, int& value);
// Reads a real edit; false with the standard message when it is not a number.
bool TakeDouble(QLineEdit* edit, double& value);

// The group "Map Edges (degrees)": "Top:" above, "Left:" and "Right:" beside each other,
// "Bottom:" below, around the four given edits.
QGroupBox* MapEdgesGroup(QWidget* parent, QLineEdit* north, QLineEdit* west, QLineEdit* east, QLineEdit* south);

// A save-file dialog in Qt's own (non-native) form, so that controls can be added below
// its file list. `filter` is "Text|pattern|Text|pattern|...||"; the overwrite prompt is on.
class ExtendedSaveDialog : public QFileDialog {
    Q_OBJECT
public:
    ExtendedSaveDialog(QWidget* parent, const QString& title, const std::string& filter,
                       const QString& defaultExtension, const QString& fileName);
    // Adds a row of extra controls under the dialog's own.
    void AddExtraRow(QWidget* row);
    // The chosen filter's position, from 1.
    int FilterIndex() const;
    void SetFilterIndex(int index);
    // The chosen path (after OK).
    std::string ChosenPath() const;

private:
    // A name typed without an extension takes that of the filter shown (its first
    // pattern "*.ext"; the default extension stays for a filter without one).
    void FollowFilter(const QString& nameFilter);

    QStringList m_filters;
    QStringList m_extensions;
};

} // namespace kv

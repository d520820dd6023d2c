// The window of the curve editor ("Remap Altitudes"): shows the editor's box and controls
// and hands clicks, drags and buttons to the editor's logic (ProcessCurvesDlg).
#pragma once

#include "document/ProcessCurvesDlg.h"

#include <QDialog>

class QGridLayout;
class QLineEdit;
class QPushButton;

namespace kv {

// The editor's file dialogs through Qt's file dialog.
class WindowCurveFileChooser : public CurveFileChooser {
public:
    explicit WindowCurveFileChooser(QWidget* parent) : m_parent(parent) {}
    bool ChooseFile(const CurveFileRequest& request, std::string& path) override;

private:
    QWidget* m_parent;
};

class ProcessCurvesDlgFace : public QDialog {
    Q_OBJECT
public:
    static constexpr int kBoxWidth = 258;
    static constexpr int kBoxHeight = 200;

    // Works on a copy of `dialog`; the caller takes `logic` back on OK.
    explicit ProcessCurvesDlgFace(const ProcessCurvesDlg& dialog, QWidget* parent = nullptr);

    ProcessCurvesDlg logic;
    // Answers Load and Save (Qt's file dialog unless replaced).
    CurveFileChooser* fileChooser;

    QWidget* Box() const { return m_box; }
    QLineEdit* ExponentEdit() const { return m_exponent; }
    QLineEdit* LowerEdit() const { return m_lower; }
    QLineEdit* UpperEdit() const { return m_upper; }
    // The button of a control id (null: none).
    QPushButton* Button(int id) const;
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool ReadControls();
    void ShowValues();
    void AddButton(QGridLayout* grid, int id, const char* text, int row, int col, void (ProcessCurvesDlgFace::*slot)());
    void OnApply();
    void OnReset();
    void OnSmooth();
    void OnNormalize();
    void OnInvert();
    void OnWorldAltitude();
    void OnLoad();
    void OnSave();

    WindowCurveFileChooser m_qtChooser;
    QWidget* m_box;
    QLineEdit* m_exponent;
    QLineEdit* m_lower;
    QLineEdit* m_upper;
};

} // namespace kv

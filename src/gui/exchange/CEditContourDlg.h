// The contour dialogs of the export wizard's Advanced page: one contour's attributes
// ("Edit Contour Settings"), and the ranges of contours to add ("Add Multiple Contours")
// or remove ("Remove Multiple Contours").
//
// The attributes of a level (ContourDef): "Filled" fillOn, its "Match Altitude Color"
// fillColorAuto with fillColor; "Show Label" labelOption1 with "Label Position"
// labelOption2 (0 top, 1 bottom); "Outline" lineOn, its "Match Altitude Color"
// lineColorAuto with lineColor; "Line Thickness" penWidth (0..250); "Line Style"
// reserved1 (0 dashed, 1 solid; stored with the level, not drawn by the export).
#pragma once

#include "exchange/ContourDef.h"

#include <QDialog>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSlider;

namespace kv {

class CPatchWnd;

// The attribute controls shared by the contour dialogs, with their enabling rules.
class ContourAttributes : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaxThickness = 250;

    explicit ContourAttributes(QWidget* parent = nullptr);

    void Load(const ContourDef& def);
    // The eleven style values (altitude and name untouched).
    void Store(ContourDef& def) const;
    // Fill, outline or label chosen.
    bool AnyAttribute() const;
    // Enables the controls after the check boxes.
    void ApplyRules();

    QCheckBox* filled;
    QCheckBox* fillMatch;
    CPatchWnd* fillPatch;
    QLabel* fillLabel;
    QCheckBox* showLabel;
    QComboBox* labelPosition;
    QLabel* positionLabel;
    QCheckBox* outline;
    QCheckBox* outlineMatch;
    CPatchWnd* outlinePatch;
    QLabel* outlineLabel;
    QSlider* thickness;
    QLabel* thicknessLabel;
    QLabel* thicknessValue;
    QComboBox* lineStyle;
    QLabel* styleLabel;
};

class CEditContourDlg : public QDialog {
    Q_OBJECT
public:
    explicit CEditContourDlg(const ContourDef& def, QWidget* parent = nullptr);
    // The edited style (after OK).
    const ContourDef& Result() const { return m_def; }
    ContourAttributes* Attributes() const { return m_attributes; }
    void accept() override;

private:
    ContourDef m_def;
    ContourAttributes* m_attributes;
};

// The values of the Add and Remove dialogs, kept by the page between uses.
struct ContourRange {
    float lowest = 0.0f;
    float highest = 0.0f;
    float interval = 0.0f;
};

class CExportAdvAddMultipleDlg : public QDialog {
    Q_OBJECT
public:
    CExportAdvAddMultipleDlg(const ContourRange& range, const ContourDef& style, QWidget* parent = nullptr);
    ContourRange range;
    ContourDef style;
    bool anyAttribute = false;
    QLineEdit* LowestEdit() const { return m_lowest; }
    QLineEdit* HighestEdit() const { return m_highest; }
    QLineEdit* IntervalEdit() const { return m_interval; }
    ContourAttributes* Attributes() const { return m_attributes; }
    void accept() override;

private:
    QLineEdit* m_lowest;
    QLineEdit* m_highest;
    QLineEdit* m_interval;
    ContourAttributes* m_attributes;
};

class CExportAdvDeleteMultipleDlg : public QDialog {
    Q_OBJECT
public:
    explicit CExportAdvDeleteMultipleDlg(const ContourRange& range, QWidget* parent = nullptr);
    ContourRange range;
    QLineEdit* LowestEdit() const { return m_lowest; }
    QLineEdit* HighestEdit() const { return m_highest; }
    QLineEdit* IntervalEdit() const { return m_interval; }
    void accept() override;

private:
    QLineEdit* m_lowest;
    QLineEdit* m_highest;
    QLineEdit* m_interval;
};

// The window editor of ContourDef::Edit.
class WindowContourStyleEditor : public ContourStyleEditor {
public:
    int Edit(ContourDef& style) override;
};

} // namespace kv

// "Grid Settings" for one latitude/longitude grid entry: shown or not, colour, altitude
// (metres, or feet when the document shows feet), spacings, extent and line thickness.
// Used by the export wizard's grid page and by the map's Grid Settings dialog.
#pragma once

#include "world/CRectGrid.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSlider;

namespace kv {

class CPatchWnd;

class CEditPW2GridDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr double kFeetPerMetre = 3.2808398544653277;
    static constexpr double kMetresPerFoot = 0.3048;
    static constexpr int kMaxThickness = 254;

    explicit CEditPW2GridDlg(const RectInfo& grid, QWidget* parent = nullptr);

    // The entry (after OK: the edited values).
    RectInfo grid;

    QCheckBox* EnableCheck() const { return m_enable; }
    CPatchWnd* ColorPatch() const { return m_colour; }
    QLineEdit* AltitudeEdit() const { return m_altitude; }
    QLineEdit* LatitudeEdit() const { return m_latitude; }
    QLineEdit* LongitudeEdit() const { return m_longitude; }
    QLineEdit* TopEdit() const { return m_top; }
    QLineEdit* BottomEdit() const { return m_bottom; }
    QLineEdit* LeftEdit() const { return m_left; }
    QLineEdit* RightEdit() const { return m_right; }
    QSlider* ThicknessSlider() const { return m_thickness; }
    QLabel* ThicknessText() const { return m_thicknessText; }

    void accept() override;

private:
    QCheckBox* m_enable;
    CPatchWnd* m_colour;
    QLineEdit* m_altitude;
    QLineEdit* m_latitude;
    QLineEdit* m_longitude;
    QLineEdit* m_top;
    QLineEdit* m_bottom;
    QLineEdit* m_left;
    QLineEdit* m_right;
    QSlider* m_thickness;
    QLabel* m_thicknessText;
};

// Edits `grid` in the dialog; true (values taken) on OK. The map's Grid Settings dialog
// takes this as its entry editor.
bool EditGridEntry(QWidget* parent, RectInfo& grid);

} // namespace kv

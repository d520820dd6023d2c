#include "gui/exchange/CEditPW2GridDlg.h"

#include "base/DisplayUnits.h"
#include "gui/controls/CPatchWnd.h"
#include "gui/controls/DialogData.h"
#include "gui/controls/DialogParts.h"
#include "gui/exchange/ExchangeDialogParts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QVBoxLayout>

namespace kv {

CEditPW2GridDlg::CEditPW2GridDlg(const RectInfo& entry, QWidget* parent)
    : QDialog(parent), grid(entry), m_enable(new QCheckBox("Enable Grid", this)), m_colour(new CPatchWnd(this)),
      m_altitude(new QLineEdit(this)), m_latitude(new QLineEdit(this)), m_longitude(new QLineEdit(this)),
      m_top(new QLineEdit(this)), m_bottom(new QLineEdit(this)), m_left(new QLineEdit(this)),
      m_right(new QLineEdit(this)), m_thickness(new QSlider(Qt::Horizontal, this)), m_thicknessText(new QLabel(this))
{
    setWindowTitle("Grid Settings");
    const bool metric = IsMetric();
    auto* top = new QVBoxLayout(this);
    auto* rows = new QGridLayout;
    rows->addWidget(m_enable, 0, 0);
    rows->addWidget(new QLabel("Color", this), 0, 1);
    rows->addWidget(m_colour, 0, 2);
    AddRow(rows, new QLabel("Altitude:", this), m_altitude, new QLabel(metric ? "meters" : "feet", this));
    AddRow(rows, new QLabel("Latitude Spacing:", this), m_latitude, new QLabel("degrees", this));
    AddRow(rows, new QLabel("Longitude Spacing:", this), m_longitude, new QLabel("degrees", this));
    top->addLayout(rows);
    top->addWidget(MapEdgesGroup(this, m_top, m_left, m_right, m_bottom));
    auto* line = new QGridLayout;
    m_thickness->setRange(0, kMaxThickness);
    AddRow(line, new QLabel("Line Thickness:", this), m_thickness, m_thicknessText);
    top->addLayout(line);
    top->addWidget(MakeButtons(this));
    connect(m_thickness, &QSlider::valueChanged, this, [this](int v) { m_thicknessText->setText(QString::number(v)); });

    m_enable->setChecked(grid.show != 0);
    m_colour->SetColor(grid.colour);
    ShowNumber(m_altitude, metric ? grid.altitude : grid.altitude * kFeetPerMetre);
    ShowNumber(m_latitude, grid.latSpacing);
    ShowNumber(m_longitude, grid.lonSpacing);
    ShowNumber(m_top, grid.north);
    ShowNumber(m_bottom, grid.south);
    ShowNumber(m_left, grid.west);
    ShowNumber(m_right, grid.east);
    m_thickness->setValue(grid.lineWidth);
    m_thicknessText->setText(QString::number(m_thickness->value()));
}

void CEditPW2GridDlg::accept()
{
    DialogData data;
    double altitude = 0.0, lat = 0.0, lon = 0.0, north = 0.0, south = 0.0, west = 0.0, east = 0.0;
    if (!data.Double(m_altitude, altitude) || !data.Double(m_latitude, lat, 0.0, 360.0) ||
        !data.Double(m_longitude, lon, 0.0, 360.0) || !data.Double(m_top, north, -90.0, 90.0) ||
        !data.Double(m_bottom, south, -90.0, 90.0) || !data.Double(m_left, west, -180.0, 360.0) ||
        !data.Double(m_right, east, -180.0, 360.0))
        return;
    grid.show = m_enable->isChecked() ? 1 : 0;
    grid.north = north;
    grid.south = south;
    grid.west = west;
    grid.east = east;
    grid.latSpacing = lat;
    grid.lonSpacing = lon;
    grid.altitude = IsMetric() ? altitude : altitude * kMetresPerFoot;
    grid.lineWidth = m_thickness->value();
    grid.colour = m_colour->Color();
    QDialog::accept();
}

bool EditGridEntry(QWidget* parent, RectInfo& entry)
{
    CEditPW2GridDlg dialog(entry, parent);
    if (RunModal(dialog) != QDialog::Accepted)
        return false;
    entry = dialog.grid;
    return true;
}

} // namespace kv

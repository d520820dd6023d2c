#include "gui/dialogs/CAltColorSingleDlg.h"

#include "gui/controls/CPatchWnd.h"
#include "gui/controls/DialogData.h"
#include "gui/controls/DialogParts.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace kv {

CAltColorSingleDlg::CAltColorSingleDlg(const AltColor& e, bool metric, QWidget* parent)
    : QDialog(parent), entry(e), m_patch(new CPatchWnd(this, e.color)), m_altitude(MakeEdit(this, 0)),
      m_second(MakeEdit(this, 0)), m_roughness(MakeEdit(this, 0)), m_exponent(MakeEdit(this, 0)),
      m_kind(MakeCombo(this, 0, {"Basin", "Contour", "Peak", "None"})), m_altitudeLabel(MakeLabel(this, 0, "")),
      m_secondLabel(MakeLabel(this, 0, "")), m_exponentLabel(MakeLabel(this, 0, "Exponent:"))
{
    setWindowTitle("Color to Altitude Correspondence");
    m_patch->setFixedSize(48, 24);
    m_altitude->setText(FloatText(entry.altitude));
    m_second->setText(FloatText(entry.altitude2));
    m_roughness->setText(FloatText(entry.roughness));
    m_exponent->setText(FloatText(entry.exponent));
    m_kind->setCurrentIndex(entry.kind >= 0 && entry.kind < 4 ? entry.kind : AltColor::kContour);
    const QString unit = metric ? "m" : "ft";
    auto* grid = new QGridLayout;
    AddRow(grid, MakeLabel(this, 0, "Color:"), m_patch);
    AddRow(grid, MakeLabel(this, 0, "Type:"), m_kind);
    AddRow(grid, m_altitudeLabel, m_altitude, MakeLabel(this, 0, unit));
    AddRow(grid, m_secondLabel, m_second, MakeLabel(this, 0, unit));
    AddRow(grid, MakeLabel(this, 0, "Roughness:"), m_roughness);
    AddRow(grid, m_exponentLabel, m_exponent);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(MakeButtons(this));
    OnKindChanged();
    connect(m_kind, &QComboBox::currentIndexChanged, this, &CAltColorSingleDlg::OnKindChanged);
}

void CAltColorSingleDlg::OnKindChanged()
{
    const int kind = m_kind->currentIndex();
    const bool shaped = kind == AltColor::kBasin || kind == AltColor::kPeak;
    m_altitudeLabel->setText(shaped ? "Base Alt:" : "Altitude:");
    m_secondLabel->setText(kind == AltColor::kBasin ? "Low Alt:" : kind == AltColor::kPeak ? "High Alt:" : "");
    m_second->setEnabled(shaped);
    m_exponent->setEnabled(shaped);
    m_exponentLabel->setEnabled(shaped);
}

void CAltColorSingleDlg::accept()
{
    DialogData dx;
    AltColor read = entry;
    if (!dx.Float(m_altitude, read.altitude) || !dx.Float(m_second, read.altitude2) ||
        !dx.Float(m_roughness, read.roughness) || !dx.Float(m_exponent, read.exponent))
        return;
    read.kind = m_kind->currentIndex();
    read.color = m_patch->Color();
    entry = read;
    QDialog::accept();
}

} // namespace kv

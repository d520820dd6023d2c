#include "gui/dialogs/CAltColorSingleDlg.h"

#include "base/MessageService.h"
#include "base/color/ColorChooser.h"
#include "document/AltColorGenerate.h"
#include "gui/controls/DialogData.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPixmap>
#include <QPainter>
#include <QVBoxLayout>

#include <cmath>

namespace kv {

namespace {

bool TakeFinite(QLineEdit* edit, double& value)
{
    bool ok = false;
    const double v = QLocale::c().toDouble(edit->text().trimmed(), &ok);
    if (ok && std::isfinite(v) && std::fabs(v) <= 3.4e38) {
        value = v;
        return true;
    }
    ShowMessage("Please enter a number.");
    edit->setFocus();
    edit->selectAll();
    return false;
}

QString Significant(double v, int digits)
{
    return QLocale::c().toString(v, 'g', digits);
}

} // namespace

CAltColorSingleDlg::CAltColorSingleDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle("Color to Altitude Correspondence");
    entry.color = 255;
    entry.altitude = entry.altitude2 = 0;
    entry.roughness = entry.exponent = 0;
    entry.kind = 0;
    auto* top = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    top->addLayout(grid);
    m_swatch = new QLabel(this);
    m_swatch->setFixedSize(48, 24);
    m_swatch->installEventFilter(this);
    m_hex = new QLabel("FFFFFF", this);
    grid->addWidget(m_swatch, 0, 0);
    grid->addWidget(m_hex, 0, 1);
    m_altitudeLabel = new QLabel("Altitude:", this);
    m_altitude = new QLineEdit(this);
    m_maxLabel = new QLabel("Max:", this);
    m_max = new QLineEdit(this);
    m_type = new QComboBox(this);
    m_type->addItems({"Basin", "Contour", "Peak", "None"});
    m_roughness = new QLineEdit(this);
    m_exponent = new QLineEdit(this);
    grid->addWidget(m_altitudeLabel, 1, 0);
    grid->addWidget(m_altitude, 1, 1);
    grid->addWidget(m_maxLabel, 2, 0);
    grid->addWidget(m_max, 2, 1);
    grid->addWidget(new QLabel("Type:", this), 3, 0);
    grid->addWidget(m_type, 3, 1);
    grid->addWidget(new QLabel("Roughness:", this), 4, 0);
    grid->addWidget(m_roughness, 4, 1);
    grid->addWidget(new QLabel("Exponent:", this), 5, 0);
    grid->addWidget(m_exponent, 5, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    top->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CAltColorSingleDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CAltColorSingleDlg::reject);
    connect(m_type, &QComboBox::activated, this, &CAltColorSingleDlg::OnTypeChanged);
}

void CAltColorSingleDlg::LoadControls()
{
    m_altitude->setText(DoubleText(entry.altitude));
    m_max->setText(DoubleText(entry.altitude2));
    m_type->setCurrentIndex(entry.kind >= 0 && entry.kind <= 3 ? entry.kind : AltColor::kContour);
    m_roughness->setText(Significant(entry.roughness, 6));
    m_exponent->setText(Significant(entry.exponent, 6));
    Redraw();
}

bool CAltColorSingleDlg::StoreControls()
{
    double altitude = 0, max = 0, roughness = 0, exponent = 0;
    if (!TakeFinite(m_altitude, altitude) || !TakeFinite(m_max, max) || !TakeFinite(m_roughness, roughness) ||
        !TakeFinite(m_exponent, exponent))
        return false;
    entry.altitude = static_cast<float>(altitude);
    entry.altitude2 = static_cast<float>(max);
    entry.kind = m_type->currentIndex();
    entry.roughness = static_cast<float>(roughness);
    entry.exponent = static_cast<float>(exponent);
    return true;
}

void CAltColorSingleDlg::Redraw()
{
    const int kind = m_type->currentIndex();
    m_max->setEnabled(kind != AltColor::kContour);
    m_maxLabel->setEnabled(kind != AltColor::kContour);
    m_exponent->setEnabled(kind == AltColor::kBasin || kind == AltColor::kPeak);
    if (kind == AltColor::kBasin) {
        m_altitudeLabel->setText("Base Alt:");
        m_maxLabel->setText("Low Alt:");
    } else if (kind == AltColor::kPeak) {
        m_altitudeLabel->setText("Base Alt:");
        m_maxLabel->setText("High Alt:");
    } else {
        m_altitudeLabel->setText("Altitude:");
        m_maxLabel->setText("");
    }
    m_hex->setText(QString::fromStdString(AltColorHexText(entry.color)));
    QPixmap swatch(m_swatch->size());
    swatch.fill(QColor(entry.color & 0xFF, (entry.color >> 8) & 0xFF, (entry.color >> 16) & 0xFF));
    QPainter painter(&swatch);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, swatch.width() - 1, swatch.height() - 1);
    painter.end();
    m_swatch->setPixmap(swatch);
}

void CAltColorSingleDlg::OnTypeChanged()
{
    StoreControls();
    Redraw();
}

void CAltColorSingleDlg::OnSwatchClicked()
{
    uint32_t colour = entry.color & 0xFFFFFF;
    if (GetColorChooser().PickSystemColor(colour)) {
        entry.color = colour & 0xFFFFFF;
        Redraw();
    }
}

bool CAltColorSingleDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_swatch) {
        if (event->type() == QEvent::Enter)
            m_swatch->setCursor(Qt::CrossCursor);
        if (event->type() == QEvent::MouseButtonPress && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            OnSwatchClicked();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CAltColorSingleDlg::accept()
{
    if (StoreControls())
        QDialog::accept();
}

int CAltColorSingleDlg::exec()
{
    LoadControls();
    return QDialog::exec();
}

int AltColorDialogEditor::Edit(AltColor& shown, bool)
{
    CAltColorSingleDlg dialog;
    dialog.entry = shown;
    if (dialog.exec() != QDialog::Accepted)
        return 2;
    shown = dialog.entry;
    return 1;
}

void InstallAltColorEditor()
{
    static AltColorDialogEditor editor;
    SetAltColorEditor(&editor);
}

} // namespace kv

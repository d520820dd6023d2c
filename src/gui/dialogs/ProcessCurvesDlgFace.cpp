#include "gui/dialogs/ProcessCurvesDlgFace.h"

#include "base/DisplayUnits.h"
#include "gui/controls/DialogData.h"
#include "gui/controls/DialogParts.h"
#include "gui/controls/FileDialogs.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace kv {

bool WindowCurveFileChooser::ChooseFile(const CurveFileRequest& request, std::string& path)
{
    CMyFileDialog dialog(request.save, QString::fromStdString(request.defaultExtension),
                         QString::fromStdString(request.initialPath), request.filter, m_parent);
    dialog.setWindowTitle(QString::fromStdString(request.title));
    if (request.mustExist)
        dialog.setFileMode(QFileDialog::ExistingFile);
    if (RunModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    path = dialog.selectedFiles().front().toStdString();
    return true;
}

ProcessCurvesDlgFace::ProcessCurvesDlgFace(const ProcessCurvesDlg& dialog, QWidget* parent)
    : QDialog(parent), logic(dialog), fileChooser(&m_qtChooser), m_qtChooser(this), m_box(new QFrame(this)),
      m_exponent(MakeEdit(this, curves_ids::kExponent)), m_lower(MakeEdit(this, curves_ids::kLower)),
      m_upper(MakeEdit(this, curves_ids::kUpper))
{
    setWindowTitle("Remap Altitudes");
    SetControlId(m_box, curves_ids::kBox);
    m_box->setFixedSize(kBoxWidth, kBoxHeight);
    m_box->installEventFilter(this);

    auto* values = new QGridLayout;
    AddRow(values, MakeLabel(this, 0, "&Non-Linearity:"), m_exponent);
    AddRow(values, MakeLabel(this, 5394, "Min:"), m_lower, MakeLabel(this, curves_ids::kLowerUnit, "m"));
    AddRow(values, MakeLabel(this, 5389, "Max:"), m_upper, MakeLabel(this, curves_ids::kUpperUnit, "m"));
    auto* buttons = new QGridLayout;
    AddButton(buttons, curves_ids::kApply, "&Apply", 0, 0, &ProcessCurvesDlgFace::OnApply);
    AddButton(buttons, curves_ids::kReset, "&Reset to Default", 0, 1, &ProcessCurvesDlgFace::OnReset);
    AddButton(buttons, curves_ids::kSmooth, "S&mooth", 1, 0, &ProcessCurvesDlgFace::OnSmooth);
    AddButton(buttons, curves_ids::kNormalize, "&Normalize", 1, 1, &ProcessCurvesDlgFace::OnNormalize);
    AddButton(buttons, curves_ids::kInvert, "&Invert", 2, 0, &ProcessCurvesDlgFace::OnInvert);
    AddButton(buttons, curves_ids::kWorldAltitude, "World Altitude", 2, 1, &ProcessCurvesDlgFace::OnWorldAltitude);
    AddButton(buttons, curves_ids::kLoad, "&Load...", 3, 0, &ProcessCurvesDlgFace::OnLoad);
    AddButton(buttons, curves_ids::kSave, "&Save...", 3, 1, &ProcessCurvesDlgFace::OnSave);
    auto* side = new QVBoxLayout;
    side->addLayout(values);
    side->addLayout(buttons);
    auto* top = new QHBoxLayout;
    top->addWidget(m_box);
    top->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(MakeButtons(this));

    logic.SetBox({0, 0, kBoxWidth, kBoxHeight});
    logic.OnInitDialog(IsMetric());
    // The limits and the World Altitude button are there only while the curve has limits.
    if (!logic.showLimits) {
        for (int id : ProcessCurvesDlg::HiddenControls()) {
            if (QWidget* control = FindControl(this, id))
                control->setVisible(false);
        }
    }
    for (int id : {curves_ids::kLowerUnit, curves_ids::kUpperUnit}) {
        if (auto* unit = qobject_cast<QLabel*>(FindControl(this, id)))
            unit->setText(QString::fromStdString(logic.UnitLabel()));
    }
    ShowValues();
}

void ProcessCurvesDlgFace::AddButton(QGridLayout* grid, int id, const char* text, int row, int col,
                                     void (ProcessCurvesDlgFace::*slot)())
{
    auto* button = new QPushButton(text, this);
    SetControlId(button, id);
    button->setAutoDefault(false);
    grid->addWidget(button, row, col);
    connect(button, &QPushButton::clicked, this, slot);
}

QPushButton* ProcessCurvesDlgFace::Button(int id) const { return qobject_cast<QPushButton*>(FindControl(this, id)); }

void ProcessCurvesDlgFace::ShowValues()
{
    m_exponent->setText(FloatText(logic.exponent));
    m_lower->setText(FloatText(logic.lower));
    m_upper->setText(FloatText(logic.upper));
    m_box->update();
}

bool ProcessCurvesDlgFace::ReadControls()
{
    DialogData dx;
    float exponent = 0, lower = 0, upper = 0;
    if (!dx.Float(m_exponent, exponent) || !dx.Float(m_lower, lower) || !dx.Float(m_upper, upper))
        return false;
    logic.exponent = exponent;
    logic.lower = lower;
    logic.upper = upper;
    return true;
}

void ProcessCurvesDlgFace::OnApply()
{
    if (!ReadControls())
        return;
    logic.OnApply();
    m_box->update();
}

void ProcessCurvesDlgFace::OnReset()
{
    logic.OnReset();
    m_box->update();
}

void ProcessCurvesDlgFace::OnSmooth()
{
    logic.OnSmooth();
    m_box->update();
}

void ProcessCurvesDlgFace::OnNormalize()
{
    logic.OnNormalize();
    m_box->update();
}

void ProcessCurvesDlgFace::OnInvert()
{
    logic.OnInvert();
    m_box->update();
}

void ProcessCurvesDlgFace::OnWorldAltitude()
{
    logic.OnWorldAltitude();
    ShowValues();
}

void ProcessCurvesDlgFace::OnLoad()
{
    if (logic.OnLoad(*fileChooser))
        m_box->update();
}

void ProcessCurvesDlgFace::OnSave() { logic.OnSave(*fileChooser); }

void ProcessCurvesDlgFace::accept()
{
    if (!ReadControls())
        return;
    logic.OnOK();
    QDialog::accept();
}

bool ProcessCurvesDlgFace::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_box)
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint p = mouse->position().toPoint();
        if (mouse->button() == Qt::LeftButton && logic.OnLButtonDown(p.x(), p.y()))
            m_box->update();
        return true;
    }
    case QEvent::MouseMove: {
        const QPoint p = static_cast<QMouseEvent*>(event)->position().toPoint();
        if (logic.OnMouseMove(p.x(), p.y()))
            m_box->update();
        return true;
    }
    case QEvent::MouseButtonRelease:
        logic.OnLButtonUp();
        return true;
    case QEvent::Paint: {
        QPainter painter(m_box);
        painter.fillRect(m_box->rect(), Qt::white);
        painter.setPen(Qt::black);
        painter.drawRect(m_box->rect().adjusted(0, 0, -1, -1));
        const CurvePicture picture = logic.GetPicture();
        if (picture.hasLimitLine) {
            painter.setPen(ToQColor(CurvePicture::kLimitColour));
            painter.drawLine(0, picture.limitY, m_box->width() - 1, picture.limitY);
        }
        painter.setPen(ToQColor(CurvePicture::kCurveColour));
        QPolygon line;
        for (const CurvePoint& point : picture.curve)
            line << QPoint(point.x, point.y);
        painter.drawPolyline(line);
        return true;
    }
    default:
        return QDialog::eventFilter(watched, event);
    }
}

} // namespace kv

#include "gui/dialogs/RiverDialogFaces.h"

#include "gui/controls/ColorSwatch.h"
#include "gui/controls/DialogData.h"
#include "gui/controls/DialogParts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

namespace kv {

CRiverEditSizeDlgFace::CRiverEditSizeDlgFace(const CRiverEditSizeDlg& dialog, QWidget* parent)
    : QDialog(parent), logic(dialog), m_width(MakeEdit(this, CRiverEditSizeDlg::kWidthEdit))
{
    setWindowTitle("River Definition Resolution");
    auto* layout = new QVBoxLayout(this);
    auto* group = new QButtonGroup(this);
    auto addRadio = [&](int control, const char* text) {
        auto* radio = new QRadioButton(text, this);
        SetControlId(radio, control);
        group->addButton(radio, control);
        layout->addWidget(radio);
    };
    for (const CRiverEditSizeDlg::Preset& preset : CRiverEditSizeDlg::kPresets)
        addRadio(preset.control, preset.text);
    addRadio(CRiverEditSizeDlg::kCustomRadio, "Custom");
    layout->addWidget(m_width);
    layout->addWidget(MakeButtons(this));
    Show();
    connect(group, &QButtonGroup::idClicked, this, [this](int control) {
        // "Custom" keeps what the box holds.
        if (control == CRiverEditSizeDlg::kCustomRadio) {
            if (const auto width = ParseInt(m_width->text()))
                logic.width = *width;
        }
        logic.OnRadio(control);
        Show();
    });
}

QRadioButton* CRiverEditSizeDlgFace::Radio(int control) const
{
    return qobject_cast<QRadioButton*>(FindControl(this, control));
}

void CRiverEditSizeDlgFace::Show()
{
    if (QRadioButton* radio = Radio(logic.CheckedControl()))
        radio->setChecked(true);
    m_width->setText(QString::number(logic.width));
    m_width->setEnabled(logic.WidthEditEnabled());
}

void CRiverEditSizeDlgFace::accept()
{
    DialogData dx;
    int width = 0;
    if (!dx.Int(m_width, width))
        return;
    logic.width = width;
    QDialog::accept();
}

CRiverThresholdDlgFace::CRiverThresholdDlgFace(CRiverThresholdDlg& dialog, QWidget* parent)
    : QDialog(parent), logic(dialog), m_slider(new QSlider(Qt::Horizontal, this)),
      m_potential(MakeCheck(this, CRiverThresholdDlg::kPotentialFlowCheck, "&Potential River Flow")),
      m_keep(MakeCheck(this, CRiverThresholdDlg::kKeepOverlayCheck, "&Keep River Image Overlay")),
      m_percent(MakeLabel(this, CRiverThresholdDlg::kPercentText, "")), m_swatch(new ColorSwatch(this)),
      m_swatchText(MakeLabel(this, CRiverThresholdDlg::kSwatchText, ""))
{
    setWindowTitle("Select River Length");
    SetControlId(m_slider, CRiverThresholdDlg::kSlider);
    SetControlId(m_swatch, CRiverThresholdDlg::kSwatch);
    m_swatch->setFixedSize(48, 20);

    logic.OnInitDialog();
    m_slider->setRange(CRiverThresholdDlg::kSliderMinimum, CRiverThresholdDlg::kSliderMaximum);
    m_slider->setValue(logic.sliderPosition);
    m_potential->setChecked(logic.potentialFlow);
    m_keep->setChecked(logic.keepOverlay);

    auto* sliderRow = new QHBoxLayout;
    sliderRow->addWidget(new QLabel("Long Rivers", this));
    sliderRow->addWidget(m_slider);
    sliderRow->addWidget(new QLabel("Short Rivers", this));
    auto* swatchRow = new QHBoxLayout;
    swatchRow->addWidget(new QLabel("Color:", this));
    swatchRow->addWidget(m_swatch);
    swatchRow->addWidget(m_swatchText);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    SetControlId(buttons->button(QDialogButtonBox::Ok), 1);
    QPushButton* help = buttons->addButton("&Help", QDialogButtonBox::HelpRole);
    SetControlId(help, kHelpButton);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(help, &QPushButton::clicked, this, [] { OpenHelpContext(kHelpButton); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("&River Length", this));
    layout->addLayout(sliderRow);
    layout->addWidget(m_percent);
    layout->addWidget(m_potential);
    layout->addWidget(m_keep);
    layout->addLayout(swatchRow);
    layout->addWidget(buttons);
    ShowState();

    connect(m_slider, &QSlider::valueChanged, this, [this](int position) {
        logic.OnHScroll(position);
        ShowState();
    });
    connect(m_potential, &QCheckBox::toggled, this, [this](bool checked) {
        logic.OnPotentialFlow(checked);
        ShowState();
    });
    // The swatch's click goes to the dialog's logic, which asks for the colour itself.
    connect(m_swatch, &ColorSwatch::clicked, this, &CRiverThresholdDlgFace::OnSwatchClicked);
    connect(m_keep, &QCheckBox::toggled, this, [this](bool checked) { logic.keepOverlay = checked; });
}

void CRiverThresholdDlgFace::ShowState()
{
    m_percent->setText(QString::fromStdString(logic.percentText));
    m_swatch->SetColor(logic.colour);
    m_swatchText->setText(QString::fromStdString(logic.SwatchText()));
}

void CRiverThresholdDlgFace::OnSwatchClicked()
{
    if (logic.OnSwatchClicked())
        ShowState();
}

void CRiverThresholdDlgFace::accept()
{
    logic.keepOverlay = m_keep->isChecked();
    logic.OnOK();
    QDialog::accept();
}

void CRiverThresholdDlgFace::reject() { logic.OnCancel(); }

void CRiverThresholdDlgFace::closeEvent(QCloseEvent* event) { event->ignore(); }

} // namespace kv

#include "gui/dialogs/CPreferencesDlg.h"

#include "base/AppSettings.h"
#include "base/MessageService.h"
#include "document/DocumentContext.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QVBoxLayout>

#include <cmath>

namespace kv {

namespace {

constexpr int kHintPreferences = 12;

QCheckBox* MakeCheck(QWidget* parent, const char* text, int id, bool on)
{
    auto* box = new QCheckBox(QString::fromUtf8(text), parent);
    box->setObjectName(QString::number(id));
    box->setChecked(on);
    return box;
}

QLineEdit* MakeEdit(QWidget* parent, int id, const QString& text)
{
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(QString::number(id));
    return edit;
}

} // namespace

CPreferencesDlg::CPreferencesDlg(const Preferences& prefs, QWidget* parent) : QDialog(parent), m_prefs(prefs)
{
    setWindowTitle(QStringLiteral("Preferences"));
    setObjectName(QString::number(kTemplateId));
    auto* layout = new QVBoxLayout(this);
    m_remember = MakeCheck(this, "Remember window positions", 5102, prefs.DT == 0);
    m_zoomStyle = MakeCheck(this, "Click-Drag-Release zoom window style", 5588, prefs.ZS != 0);
    m_reloadWorld = MakeCheck(this, "Reload last world file on startup", 5458, prefs.RF != 0);
    m_reloadSettings = MakeCheck(this, "Reload last settings files on startup", 5459, prefs.RS != 0);
    m_coarse = MakeCheck(this, "Coarse initial drawing pass", 5058, prefs.CD != 0);
    for (QWidget* w : {static_cast<QWidget*>(m_remember), static_cast<QWidget*>(m_zoomStyle),
                       static_cast<QWidget*>(m_reloadWorld), static_cast<QWidget*>(m_reloadSettings),
                       static_cast<QWidget*>(m_coarse)})
        layout->addWidget(w);

    auto* rateRow = new QHBoxLayout;
    rateRow->addWidget(new QLabel(QStringLiteral("Display Update Rate (Frames per Second)"), this));
    m_rate = new QSlider(Qt::Horizontal, this);
    m_rate->setObjectName(QStringLiteral("5452"));
    m_rate->setRange(Preferences::kMinRate, Preferences::kMaxRate);
    m_rate->setValue(prefs.DR);
    m_rateText = new QLabel(QString::asprintf("%d", prefs.DR), this);
    m_rateText->setObjectName(QStringLiteral("5453"));
    rateRow->addWidget(m_rate);
    rateRow->addWidget(m_rateText);
    layout->addLayout(rateRow);
    connect(m_rate, &QSlider::valueChanged, this, [this](int value) {
        m_prefs.DR = value;
        m_rateText->setText(QString::asprintf("%d", value));
    });

    auto* form = new QFormLayout;
    m_xs = MakeEdit(this, 5578, QString::number(prefs.XS));
    m_ys = MakeEdit(this, 5583, QString::number(prefs.YS));
    m_ri = MakeEdit(this, 5584, QString::number(static_cast<double>(prefs.RI), 'g', 6));
    form->addRow(QStringLiteral("Maximum Horizontal Resolution:"), m_xs);
    form->addRow(QStringLiteral("Maximum Vertical Resolution:"), m_ys);
    form->addRow(QStringLiteral("Top-Level River Importance (%):"), m_ri);
    layout->addLayout(form);
    m_compat = MakeCheck(this, "Version 1.23 Calculation Compatibility", 5004, prefs.V123 != 0);
    layout->addWidget(m_compat);
    connect(m_compat, &QCheckBox::toggled, this, [](bool on) {
        if (on)
            ShowMessage(kCompatibilityWarning);
    });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QCheckBox* CPreferencesDlg::Check(int id) const { return findChild<QCheckBox*>(QString::number(id)); }
QLineEdit* CPreferencesDlg::Edit(int id) const { return findChild<QLineEdit*>(QString::number(id)); }

bool CPreferencesDlg::ReadControls()
{
    Preferences p = m_prefs;
    p.DT = m_remember->isChecked() ? 0 : 1;
    p.ZS = m_zoomStyle->isChecked() ? 1 : 0;
    p.RF = m_reloadWorld->isChecked() ? 1 : 0;
    p.RS = m_reloadSettings->isChecked() ? 1 : 0;
    p.CD = m_coarse->isChecked() ? 1 : 0;
    p.V123 = m_compat->isChecked() ? 1 : 0;
    p.DR = m_rate->value();
    for (auto [edit, field] : {std::pair{m_xs, &p.XS}, std::pair{m_ys, &p.YS}}) {
        bool ok = false;
        const int value = edit->text().trimmed().toInt(&ok);
        if (!ok || value < Preferences::kMinResolution || value > Preferences::kMaxResolution) {
            ShowMessage("Please enter an integer between 32 and 2048.");
            edit->setFocus();
            return false;
        }
        *field = value;
    }
    bool ok = false;
    const double ri = m_ri->text().trimmed().toDouble(&ok);
    // 0 is the stored default (no river importance set); it is kept as it is.
    if (!ok || !std::isfinite(ri) || (ri != 0.0 && (ri < 0.001 || ri > 100.0))) {
        ShowMessage("Please enter a number between 0.001 and 100.");
        m_ri->setFocus();
        return false;
    }
    p.RI = static_cast<float>(ri);
    m_prefs = p;
    return true;
}

void CPreferencesDlg::accept()
{
    if (!ReadControls())
        return;
    if (m_prefs.XS < Preferences::kMaxResolution || m_prefs.YS < Preferences::kMaxResolution)
        ShowMessage(kShadingMessage);
    QDialog::accept();
}

int EditPreferences(Preferences& prefs, const AppSettings& profile, QWidget* parent, int (*run)(CPreferencesDlg&))
{
    Preferences stored = prefs;
    stored.Read(profile);
    CPreferencesDlg dialog(stored, parent);
    const int result = run ? run(dialog) : dialog.exec();
    if (result == QDialog::Accepted) {
        prefs = dialog.Values();
        prefs.Write(profile);
        UpdateActiveDocViews(nullptr, kHintPreferences, nullptr);
    }
    return result;
}

} // namespace kv

#include "gui/dialogs/CViewExportSettingsDlg.h"

#include "exchange/CMultiImageDlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace kv {

CViewExportSettingsDlg::CViewExportSettingsDlg(const ViewExportSettings& settings, QWidget* parent)
    : QDialog(parent), m_settings(settings)
{
    setObjectName(QString::number(kTemplateId));
    setWindowTitle(QStringLiteral("View Export Settings"));
    auto* grid = new QGridLayout(this);
    m_directory = new QLineEdit(QString::fromStdString(settings.outputDirectory), this);
    auto* browse = new QPushButton(QStringLiteral("..."), this);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString folder =
            QFileDialog::getExistingDirectory(this, QStringLiteral("Select output directory"), m_directory->text());
        if (!folder.isEmpty())
            m_directory->setText(folder);
    });
    grid->addWidget(new QLabel(QStringLiteral("Output directory:"), this), 0, 0);
    grid->addWidget(m_directory, 0, 1);
    grid->addWidget(browse, 0, 2);

    m_pw2 = new QCheckBox(QStringLiteral("Generate PW2 Files"), this);
    m_pw2->setChecked(settings.generatePW2);
    m_definition = new QLabel(QString::fromStdString(settings.exportDefinition), this);
    connect(m_pw2, &QCheckBox::clicked, this, [this](bool on) {
        if (!on)
            return;
        std::string name = m_settings.exportDefinition;
        if (!GetDefinitionChooser().Choose(name)) {
            m_pw2->setChecked(false);
            return;
        }
        m_settings.exportDefinition = name;
        m_definition->setText(QString::fromStdString(name));
    });
    grid->addWidget(m_pw2, 1, 0);
    grid->addWidget(m_definition, 1, 1, 1, 2);
    m_jpeg = new QCheckBox(QStringLiteral("Generate JPEG files"), this);
    m_jpeg->setChecked(settings.generateJPEG);
    grid->addWidget(m_jpeg, 2, 0);
    m_land = new QCheckBox(QStringLiteral("Only Gen if Some Land"), this);
    m_land->setChecked(settings.onlyIfLand);
    grid->addWidget(m_land, 3, 0);
    m_basis = new QCheckBox(QStringLiteral("Use View as basis"), this);
    m_basis->setChecked(settings.useViewAsBasis);
    grid->addWidget(m_basis, 4, 0);
    m_size = new QSpinBox(this);
    m_size->setRange(0, ViewExportSettings::kMaxJpegSize);
    m_size->setValue(settings.jpegSize);
    grid->addWidget(new QLabel(QStringLiteral("JPEG Size:"), this), 5, 0);
    grid->addWidget(m_size, 5, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    grid->addWidget(buttons, 6, 0, 1, 3);
}

ViewExportSettings CViewExportSettingsDlg::Settings() const
{
    ViewExportSettings s = m_settings;
    s.outputDirectory = m_directory->text().toStdString();
    s.generatePW2 = m_pw2->isChecked();
    s.generateJPEG = m_jpeg->isChecked();
    s.onlyIfLand = m_land->isChecked();
    s.useViewAsBasis = m_basis->isChecked();
    s.jpegSize = m_size->value();
    return s;
}

} // namespace kv

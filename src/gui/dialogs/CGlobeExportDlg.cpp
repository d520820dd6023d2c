#include "gui/dialogs/CGlobeExportDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace kv {

CGlobeExportDlgFace::CGlobeExportDlgFace(QWidget* parent) : QDialog(parent)
{
    setObjectName(QString::number(kTemplateId));
    setWindowTitle(QStringLiteral("Globe Setup File Export"));
    auto* layout = new QVBoxLayout(this);
    static const char* const kTexts[4] = {"Export Level &1 (Coarsest Resolution)", "Export Level &2",
                                          "Export Level &3", "Export Level &4 (Finest Detail Resolution)"};
    for (int i = 0; i < 4; ++i) {
        m_levels[i] = new QCheckBox(QString::fromUtf8(kTexts[i]), this);
        m_levels[i]->setObjectName(QString::number(kLevelIds[i]));
        connect(m_levels[i], &QCheckBox::clicked, this, [this] {
            ReadControls();
            ApplyLevelRule();
        });
        layout->addWidget(m_levels[i]);
    }
    m_directory = new QLineEdit(this);
    m_directory->setObjectName(QString::number(kDirectoryId));
    layout->addWidget(new QLabel(QStringLiteral("Directory:"), this));
    layout->addWidget(m_directory);
    m_link = new QCheckBox(QStringLiteral("Export &Link File"), this);
    m_link->setObjectName(QString::number(kLinkFileId));
    layout->addWidget(m_link);
    m_fileSet = new QComboBox(this);
    m_fileSet->setObjectName(QString::number(kFileSetId));
    layout->addWidget(m_fileSet);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        ReadControls();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void CGlobeExportDlgFace::LoadControls()
{
    for (int i = 0; i < 4; ++i)
        m_levels[i]->setChecked(levels[i]);
    m_directory->setText(QString::fromStdString(directory));
    m_link->setChecked(linkFile);
    m_fileSet->clear();
    for (size_t i = 0; i < fileSets.size(); ++i)
        m_fileSet->addItem(QStringLiteral("%1. %2").arg(i + 1).arg(QString::fromStdString(fileSets[i])));
    m_fileSet->setCurrentIndex(fileSetIndex >= 0 && fileSetIndex < m_fileSet->count() ? fileSetIndex : -1);
    ApplyLevelRule();
}

void CGlobeExportDlgFace::ReadControls()
{
    for (int i = 0; i < 4; ++i)
        levels[i] = m_levels[i]->isChecked();
    directory = m_directory->text().toStdString();
    linkFile = m_link->isChecked();
    fileSetIndex = m_fileSet->currentIndex() < 0 ? fileSetIndex : m_fileSet->currentIndex();
}

void CGlobeExportDlgFace::ApplyLevelRule()
{
    bool coarserOn = true;
    for (int i = 0; i < 4; ++i) {
        m_levels[i]->setEnabled(coarserOn);
        coarserOn = coarserOn && levels[i];
    }
}

int CGlobeExportDlgFace::exec()
{
    LoadControls();
    return QDialog::exec();
}

} // namespace kv

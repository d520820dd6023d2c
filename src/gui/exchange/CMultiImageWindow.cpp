#include "gui/exchange/CMultiImageWindow.h"

#include "base/AppFolders.h"
#include "base/AppSettings.h"
#include "base/MessageService.h"
#include "exchange/MultiFileAtlas.h"
#include "document/StepProgress.h"
#include "gui/dialogs/CSelectPW2SettingsFileDlg.h"
#include "gui/progress/CProgressDlg.h"

#include <memory>

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kv {

namespace {

constexpr int kMaxPicture = 16384;
constexpr int kMaxFiles = 32768;

QString Text(const std::string& s) { return QString::fromStdString(s); }

class WindowMultiImageDialog : public MultiImageDialog {
public:
    bool Run(MultiMapSettings& settings) override
    {
        CMultiImageWindow window(settings);
        if (window.exec() != QDialog::Accepted)
            return false;
        settings = window.Result();
        return true;
    }
};

class WindowDefinitionChooser : public DefinitionChooser {
public:
    bool Choose(std::string& name) override
    {
        CSelectPW2SettingsFileDlg dialog(GetExportDir(GetAppSettings()), name);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        name = dialog.Name();
        return true;
    }
};

// The two-bar progress dialog around an operation of several steps.
class WindowStepProgress : public StepProgress {
public:
    void Begin() override
    {
        m_dialog = std::make_unique<CProgressMultiDlg>();
        if (m_dialog->Begin() == 0)
            m_dialog.reset();
    }
    void End() override
    {
        if (m_dialog) {
            m_dialog->End();
            m_dialog.reset();
        }
    }
    void SetTotalPos(int percent) override
    {
        if (m_dialog)
            m_dialog->SetTotalPos(percent);
    }

private:
    std::unique_ptr<CProgressMultiDlg> m_dialog;
};

} // namespace

CMultiImageWindow::CMultiImageWindow(const MultiMapSettings& settings, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(CMultiImageDlg::kCaption);
    m_model.Load(settings);
    m_result = settings;
    auto* top = new QVBoxLayout(this);
    auto* checks = new QGridLayout;
    m_drawings = new QCheckBox("Generate PW2 Files");
    m_pictures = new QCheckBox(CMultiImageDlg::kJpegCheckText);
    m_pages = new QCheckBox("Generate HTML files");
    m_onlyLand = new QCheckBox("Only Gen if Some Land");
    m_viewBasis = new QCheckBox("Use View as basis");
    m_perLevel = new QCheckBox("Per-Level PW2");
    m_definition = new QLabel;
    checks->addWidget(m_drawings, 0, 0);
    checks->addWidget(m_definition, 0, 1);
    checks->addWidget(m_pictures, 1, 0);
    checks->addWidget(m_pages, 1, 1);
    checks->addWidget(m_onlyLand, 2, 0);
    checks->addWidget(m_viewBasis, 2, 1);
    checks->addWidget(m_perLevel, 3, 0);
    top->addLayout(checks);

    auto* levelRow = new QHBoxLayout;
    levelRow->addWidget(new QLabel("Map Levels"));
    m_slider = new QSlider(Qt::Horizontal);
    m_slider->setRange(1, CMultiImageDlg::kLevels);
    levelRow->addWidget(m_slider);
    m_total = new QLabel;
    levelRow->addWidget(m_total);
    top->addLayout(levelRow);

    auto* grid = new QGridLayout;
    const char* headings[] = {"Level", "Files Wide", "Files High", "Percent Overlap", "Image Resolution", "PW2 Links", ""};
    for (int c = 0; c < 7; ++c)
        grid->addWidget(new QLabel(headings[c]), 0, c);
    for (int i = 0; i < CMultiImageDlg::kLevels; ++i) {
        m_number[i] = new QLabel(QString::number(i + 1));
        m_wide[i] = new QSpinBox;
        m_wide[i]->setRange(1, kMaxFiles);
        m_high[i] = new QSpinBox;
        m_high[i]->setRange(1, kMaxFiles);
        m_overlap[i] = new QDoubleSpinBox;
        m_overlap[i]->setRange(0.0, CMultiImageDlg::kMaxOverlap);
        m_resolution[i] = new QSpinBox;
        m_resolution[i]->setRange(0, kMaxPicture);
        m_links[i] = new QCheckBox;
        m_file[i] = new QPushButton(QString("File Level %1").arg(i + 1));
        QWidget* row[] = {m_number[i], m_wide[i], m_high[i], m_overlap[i], m_resolution[i], m_links[i], m_file[i]};
        for (int c = 0; c < 7; ++c)
            grid->addWidget(row[c], i + 1, c);
    }
    top->addLayout(grid);

    auto* folderBox = new QGroupBox("Output Directory");
    auto* folderRow = new QHBoxLayout(folderBox);
    m_folder = new QLineEdit;
    auto* browse = new QPushButton("...");
    folderRow->addWidget(m_folder);
    folderRow->addWidget(browse);
    top->addWidget(folderBox);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    top->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    m_model.OnInitDialog();
    Show();
    auto changed = [this] {
        if (m_showing)
            return;
        ReadControls();
        m_model.Refresh();
        Show();
    };
    connect(m_drawings, &QCheckBox::clicked, this, [this](bool on) {
        ReadControls();
        m_model.OnDrawings(on);
        Show();
    });
    connect(m_pictures, &QCheckBox::clicked, this, [this](bool on) {
        ReadControls();
        m_model.OnPictures(on);
        Show();
    });
    connect(m_pages, &QCheckBox::clicked, this, [this](bool on) {
        ReadControls();
        m_model.OnPages(on);
        Show();
    });
    connect(m_perLevel, &QCheckBox::clicked, this, [this](bool on) {
        ReadControls();
        m_model.OnPerLevel(on);
        Show();
    });
    connect(m_slider, &QSlider::valueChanged, this, [this](int position) {
        if (m_showing)
            return;
        ReadControls();
        m_model.OnSlider(position);
        Show();
    });
    for (int i = 0; i < CMultiImageDlg::kLevels; ++i) {
        connect(m_wide[i], &QSpinBox::valueChanged, this, changed);
        connect(m_high[i], &QSpinBox::valueChanged, this, changed);
        connect(m_file[i], &QPushButton::clicked, this, [this, i] {
            ReadControls();
            m_model.OnFileLevel(i);
            Show();
        });
    }
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString chosen =
            QFileDialog::getExistingDirectory(this, CMultiImageDlg::kFolderBrowserTitle, m_folder->text());
        if (!chosen.isEmpty())
            m_folder->setText(chosen);
    });
}

void CMultiImageWindow::ReadControls()
{
    CMultiImageDlg& m = m_model;
    m.writeDrawings = m_drawings->isChecked();
    m.writePictures = m_pictures->isChecked();
    m.writePages = m_pages->isChecked();
    m.onlyIfLand = m_onlyLand->isChecked();
    m.useViewAsBasis = m_viewBasis->isChecked();
    m.perLevel = m_perLevel->isChecked();
    for (int i = 0; i < CMultiImageDlg::kLevels; ++i) {
        m.wide[i] = m_wide[i]->value();
        m.high[i] = m_high[i]->value();
        m.overlap[i] = static_cast<float>(m_overlap[i]->value());
        m.resolution[i] = m_resolution[i]->value();
        m.links[i] = m_links[i]->isChecked() ? 1 : 0;
    }
    m.folder = m_folder->text().toStdString();
}

void CMultiImageWindow::Show()
{
    m_showing = true;
    const CMultiImageDlg& m = m_model;
    m_drawings->setChecked(m.writeDrawings);
    m_pictures->setChecked(m.writePictures);
    m_pictures->setText(Text(m.pictureCheckText));
    m_pages->setChecked(m.writePages);
    m_pages->setEnabled(m.enabled.htmlCheck);
    m_onlyLand->setChecked(m.onlyIfLand);
    m_viewBasis->setChecked(m.useViewAsBasis);
    m_perLevel->setChecked(m.perLevel);
    m_slider->setValue(m.levels);
    m_slider->setEnabled(m.enabled.slider);
    m_total->setText(Text(m.totalLabel));
    m_total->setEnabled(m.enabled.totalLabel);
    m_definition->setText(Text(m.definitionLabel));
    m_definition->setEnabled(m.enabled.definitionLabel);
    for (int i = 0; i < CMultiImageDlg::kLevels; ++i) {
        const bool row = m.enabled.row[i];
        m_number[i]->setEnabled(row);
        m_wide[i]->setValue(m.wide[i]);
        m_wide[i]->setEnabled(row);
        m_high[i]->setValue(m.high[i]);
        m_high[i]->setEnabled(row);
        m_overlap[i]->setValue(m.overlap[i]);
        m_overlap[i]->setEnabled(row);
        m_resolution[i]->setValue(m.resolution[i]);
        m_resolution[i]->setEnabled(row && (i + 1 < CMultiImageDlg::kLevels || m.enabled.level5Resolution));
        m_links[i]->setChecked(m.links[i] != 0);
        m_links[i]->setEnabled(row && (i + 1 < CMultiImageDlg::kLevels || m.enabled.level5Links));
        m_file[i]->setEnabled(m.enabled.fileButton[i]);
        m_file[i]->setText(m.fileButtonText[i].empty() ? QString("File Level %1").arg(i + 1)
                                                       : Text(m.fileButtonText[i]));
    }
    m_folder->setText(Text(m.folder));
    m_showing = false;
}

void CMultiImageWindow::accept()
{
    ReadControls();
    MultiMapSettings result = m_result;
    const std::string refused = m_model.OnOK(result);
    if (!refused.empty()) {
        ShowMessage(refused);
        return;
    }
    m_result = result;
    QDialog::accept();
}

void InstallAtlasServices()
{
    static WindowMultiImageDialog dialog;
    static WindowDefinitionChooser chooser;
    static AtlasExport exporter;
    static WindowStepProgress progress;
    SetStepProgress(&progress);
    SetMultiImageDialog(&dialog);
    SetDefinitionChooser(&chooser);
    SetMultipleFilesExport(&exporter);
}

} // namespace kv

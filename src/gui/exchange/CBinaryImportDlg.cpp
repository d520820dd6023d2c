#include "gui/exchange/CBinaryImportDlg.h"

#include "gui/exchange/ExchangeDialogParts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <limits>
#include <memory>

namespace kv {

namespace {

constexpr int kIntMin = std::numeric_limits<int>::min();
constexpr int kIntMax = std::numeric_limits<int>::max();

// The one file dialog of the program's run: it reopens in the folder last used.
QFileDialog& BinaryFileDialog()
{
    static std::unique_ptr<QFileDialog> dialog;
    if (!dialog) {
        dialog = std::make_unique<QFileDialog>(nullptr, "Select Binary Altitude File");
        dialog->setOption(QFileDialog::DontUseNativeDialog, true);
        dialog->setFileMode(QFileDialog::ExistingFile);
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setNameFilters({"Binary Files (*.bin)", "All Files (*)"});
        dialog->setSizeGripEnabled(true);
    }
    return *dialog;
}

QLineEdit* NumberEdit(QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setMaximumWidth(110);
    return edit;
}

QWidget* WithUnit(QWidget* parent, QWidget* edit, const char* unit)
{
    auto* box = new QWidget(parent);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(edit);
    row->addWidget(new QLabel(unit, box));
    row->addStretch();
    return box;
}

} // namespace

CBinaryImportDlg::CBinaryImportDlg(QWidget* parent)
    : QDialog(parent),
      m_fileName(new QLineEdit(this)),
      m_sampleType(new QComboBox(this)),
      m_littleEndian(new QCheckBox("LSB First (Intel)", this)),
      m_signed(new QCheckBox("Signed", this)),
      m_lineWidth(NumberEdit(this)),
      m_headerLength(NumberEdit(this)),
      m_wrap(new QCheckBox("Wrap Horizontally", this)),
      m_xStart(NumberEdit(this)),
      m_yStart(NumberEdit(this)),
      m_width(NumberEdit(this)),
      m_height(NumberEdit(this)),
      m_north(NumberEdit(this)),
      m_west(NumberEdit(this)),
      m_east(NumberEdit(this)),
      m_south(NumberEdit(this)),
      m_noData(NumberEdit(this)),
      m_replace(new QCheckBox("Replace", this)),
      m_newValue(NumberEdit(this))
{
    setWindowTitle("Binary Data");
    m_sampleType->addItems({"1 byte", "2 byte", "4 byte", "4 byte, float"});

    auto* fileButton = new QPushButton("...", this);
    fileButton->setMaximumWidth(32);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(new QLabel("File Name:", this));
    fileRow->addWidget(m_fileName, 1);
    fileRow->addWidget(fileButton);

    auto* format = new QFormLayout;
    format->addRow(m_sampleType);
    format->addRow(m_littleEndian);
    format->addRow(m_signed);
    format->addRow("Line Width:", WithUnit(this, m_lineWidth, "bytes"));
    format->addRow("Header Length:", WithUnit(this, m_headerLength, "bytes"));
    format->addRow(m_wrap);

    auto* window = new QFormLayout;
    window->addRow("X Start:", WithUnit(this, m_xStart, "samples"));
    window->addRow("Y Start:", WithUnit(this, m_yStart, "samples"));
    window->addRow("Width:", WithUnit(this, m_width, "samples"));
    window->addRow("Height:", WithUnit(this, m_height, "samples"));

    QGroupBox* edges = MapEdgesGroup(this, m_north, m_west, m_east, m_south);

    auto* missing = new QFormLayout;
    missing->addRow("No Data:", m_noData);
    missing->addRow(m_replace);
    missing->addRow("New Value:", m_newValue);

    auto* columns = new QHBoxLayout;
    columns->addLayout(format);
    columns->addLayout(window);
    columns->addLayout(missing);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fileRow);
    layout->addLayout(columns);
    layout->addWidget(edges);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &CBinaryImportDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(fileButton, &QPushButton::clicked, this, &CBinaryImportDlg::OnFileButton);
    for (QLineEdit* edit : {m_lineWidth, m_headerLength, m_xStart, m_yStart, m_width, m_height, m_north, m_west,
                            m_east, m_south})
        edit->installEventFilter(this);
    RefreshControls();
}

void CBinaryImportDlg::RefreshControls()
{
    const BinaryImportValues& v = values;
    m_fileName->setText(QString::fromStdString(v.fileName));
    m_sampleType->setCurrentIndex(v.sampleType >= 0 && v.sampleType < m_sampleType->count() ? v.sampleType : -1);
    m_littleEndian->setChecked(v.littleEndian);
    m_signed->setChecked(v.isSigned);
    m_lineWidth->setText(QString::number(v.lineWidth));
    m_headerLength->setText(QString::number(v.headerLength));
    m_wrap->setChecked(v.wrap);
    m_xStart->setText(QString::number(v.xStart));
    m_yStart->setText(QString::number(v.yStart));
    m_width->setText(QString::number(v.width));
    m_height->setText(QString::number(v.height));
    m_north->setText(FormatReal(v.north));
    m_west->setText(FormatReal(v.west));
    m_east->setText(FormatReal(v.east));
    m_south->setText(FormatReal(v.south));
    m_noData->setText(FormatReal(v.noData));
    m_replace->setChecked(v.replace);
    m_newValue->setText(FormatReal(v.newValue));
}

bool CBinaryImportDlg::ReadControls()
{
    BinaryImportValues v = values;
    double noData = 0.0, newValue = 0.0;
    v.fileName = m_fileName->text().toStdString();
    v.sampleType = m_sampleType->currentIndex();
    v.littleEndian = m_littleEndian->isChecked();
    v.isSigned = m_signed->isChecked();
    v.wrap = m_wrap->isChecked();
    v.replace = m_replace->isChecked();
    const bool ok =
        TakeInt(m_lineWidth, BinaryImportValues::kMinLineWidth, BinaryImportValues::kMaxLineWidth, v.lineWidth) &&
        TakeInt(m_headerLength, kIntMin, kIntMax, v.headerLength) && TakeInt(m_xStart, kIntMin, kIntMax, v.xStart) &&
        TakeInt(m_yStart, kIntMin, kIntMax, v.yStart) && TakeInt(m_width, kIntMin, kIntMax, v.width) &&
        TakeInt(m_height, kIntMin, kIntMax, v.height) && TakeDouble(m_north, v.north) &&
        TakeDouble(m_west, v.west) && TakeDouble(m_east, v.east) && TakeDouble(m_south, v.south) &&
        TakeDouble(m_noData, noData) && TakeDouble(m_newValue, newValue);
    if (!ok)
        return false;
    v.noData = static_cast<float>(noData);
    v.newValue = static_cast<float>(newValue);
    values = v;
    return true;
}

void CBinaryImportDlg::OnFileButton()
{
    ReadControls();
    QFileDialog& dialog = BinaryFileDialog();
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    ApplyFile(dialog.selectedFiles().front());
}

void CBinaryImportDlg::ApplyFile(const QString& path)
{
    ApplyChosenFile(values, path.toStdString());
    RefreshControls();
}

void CBinaryImportDlg::showEvent(QShowEvent* event)
{
    RefreshControls();
    QDialog::showEvent(event);
}

void CBinaryImportDlg::accept()
{
    if (ReadControls())
        QDialog::accept();
}

bool CBinaryImportDlg::eventFilter(QObject* watched, QEvent* event)
{
    // A number edit that loses the focus takes every value (with validation); a refusal
    // moves the focus back, which must not ask again.
    static bool reading = false;
    if (event->type() == QEvent::FocusOut && !reading) {
        reading = true;
        ReadControls();
        reading = false;
    }
    return QDialog::eventFilter(watched, event);
}

void CBinaryImportDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace kv

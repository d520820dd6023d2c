#include "gui/exchange/CBinaryPictureDlg.h"

#include "gui/exchange/ExchangeDialogParts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QVBoxLayout>

#include <limits>

namespace kv {

namespace {

constexpr int kIntMin = std::numeric_limits<int>::min();
constexpr int kIntMax = std::numeric_limits<int>::max();

} // namespace

CBinaryPictureDlg::CBinaryPictureDlg(QWidget* parent)
    : QDialog(parent),
      m_fileName(new QLabel(this)),
      m_north(new QLineEdit(this)),
      m_south(new QLineEdit(this)),
      m_west(new QLineEdit(this)),
      m_east(new QLineEdit(this)),
      m_xStart(new QLineEdit(this)),
      m_yStart(new QLineEdit(this)),
      m_width(new QLineEdit(this)),
      m_height(new QLineEdit(this)),
      m_shaded(new QCheckBox("Shaded", this)),
      m_opacity(new QSlider(Qt::Horizontal, this)),
      m_opacityLabels{new QLabel("Opacity", this), new QLabel("Clear", this), new QLabel("Solid", this)}
{
    setWindowTitle("Image Data");
    QGroupBox* edges = MapEdgesGroup(this, m_north, m_west, m_east, m_south);

    auto* window = new QFormLayout;
    window->addRow("X Start:", m_xStart);
    window->addRow("Y Start:", m_yStart);
    window->addRow("Width:", m_width);
    window->addRow("Height:", m_height);
    window->addRow(m_shaded);

    auto* opacity = new QHBoxLayout;
    opacity->addWidget(m_opacityLabels[0]);
    opacity->addWidget(m_opacityLabels[1]);
    opacity->addWidget(m_opacity);
    opacity->addWidget(m_opacityLabels[2]);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_fileName);
    layout->addWidget(edges);
    layout->addLayout(window);
    layout->addLayout(opacity);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CBinaryPictureDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void CBinaryPictureDlg::RefreshControls()
{
    m_fileName->setText(QString::fromStdString(fileName));
    m_north->setText(FormatReal(north));
    m_south->setText(FormatReal(south));
    m_west->setText(FormatReal(west));
    m_east->setText(FormatReal(east));
    m_xStart->setText(QString::number(xStart));
    m_yStart->setText(QString::number(yStart));
    m_width->setText(QString::number(width));
    m_height->setText(QString::number(height));
    m_shaded->setChecked(shaded);
}

bool CBinaryPictureDlg::ReadControls()
{
    double n = 0, s = 0, w = 0, e = 0;
    int x = 0, y = 0, wd = 0, ht = 0;
    if (!(TakeDouble(m_north, n) && TakeDouble(m_south, s) && TakeDouble(m_west, w) && TakeDouble(m_east, e) &&
          TakeInt(m_xStart, kIntMin, kIntMax, x) && TakeInt(m_yStart, kIntMin, kIntMax, y) &&
          TakeInt(m_width, kIntMin, kIntMax, wd) && TakeInt(m_height, kIntMin, kIntMax, ht)))
        return false;
    north = n;
    south = s;
    west = w;
    east = e;
    xStart = x;
    yStart = y;
    width = wd;
    height = ht;
    shaded = m_shaded->isChecked();
    return true;
}

void CBinaryPictureDlg::showEvent(QShowEvent* event)
{
    // The opacity of an image data surface is not set here.
    m_opacity->hide();
    for (QLabel* label : m_opacityLabels)
        label->hide();
    RefreshControls();
    QDialog::showEvent(event);
}

void CBinaryPictureDlg::accept()
{
    if (ReadControls())
        QDialog::accept();
}

} // namespace kv

#include "gui/dialogs/CColorPickerDlg.h"

#include "base/ViewHooks.h"
#include "base/color/CColorList.h"
#include "gui/controls/DialogData.h"
#include "gui/controls/DialogParts.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace kv {

namespace {

constexpr int kBlock = 16; // each palette entry is painted as a 16 x 16 block

QLabel* MakeValue(QWidget* parent, int id)
{
    QLabel* label = MakeLabel(parent, id, "255");
    label->setMinimumWidth(30);
    return label;
}

} // namespace

CColorPickerDlg::CColorPickerDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle("PW2 Color Picker");
    m_grid = new QFrame(this);
    SetControlId(m_grid, 5429);
    m_grid->setFixedSize(kGridPixels, kGridPixels);
    m_grid->setMouseTracking(true);
    m_grid->installEventFilter(this);
    m_swatch = new QFrame(this);
    SetControlId(m_swatch, 5092);
    m_swatch->setFixedSize(60, 40);
    m_swatch->installEventFilter(this);

    const int hoverIds[4] = {5494, 5496, 5493, 5491};
    const int selectedIds[4] = {5094, 5095, 5093, 5091};
    for (int i = 0; i < 4; ++i) {
        m_hover[i] = MakeValue(this, hoverIds[i]);
        m_selected[i] = MakeValue(this, selectedIds[i]);
    }
    auto* side = new QGridLayout;
    const char* names[4] = {"R:", "G:", "B:", nullptr};
    AddRow(side, MakeLabel(this, 5311, "Color:"), m_hover[0]);
    const int hoverLabelIds[3] = {5313, 5312, 5310};
    for (int i = 0; i < 3; ++i)
        AddRow(side, MakeLabel(this, hoverLabelIds[i], names[i]), m_hover[i + 1]);
    AddRow(side, MakeLabel(this, 5317, "Selected:"), m_selected[0]);
    side->addWidget(m_swatch, side->rowCount(), 0, 1, 2);
    const int selectedLabelIds[3] = {5299, 5298, 5297};
    for (int i = 0; i < 3; ++i)
        AddRow(side, MakeLabel(this, selectedLabelIds[i], names[i]), m_selected[i + 1]);

    auto* top = new QHBoxLayout;
    top->addWidget(m_grid);
    top->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(MakeButtons(this, [] { OpenHelpContext(kHelpContext); }));
}

void CColorPickerDlg::showEvent(QShowEvent* event)
{
    Init();
    QDialog::showEvent(event);
}

void CColorPickerDlg::Init()
{
    if (m_initialised)
        return;
    m_initialised = true;
    m_cellWidth = std::max(1, m_grid->contentsRect().width() / 16);
    m_cellHeight = std::max(1, m_grid->contentsRect().height() / 16);
    m_gridImage.Create(16 * m_cellWidth, 16 * m_cellHeight);
    for (int row = 0; row < 16; ++row) {
        for (int col = 0; col < 16; ++col) {
            const PaletteRGB& p = PW2Palette[static_cast<size_t>(row * 16 + col)];
            // A later block covers what an earlier one spilled into its cell; FillRect drops
            // what lies outside the image. (FillRect takes the block's bottom row.)
            m_gridImage.FillRect(col * m_cellWidth, row * m_cellHeight + kBlock - 1, kBlock, kBlock,
                                 ColorOf(p.r, p.g, p.b));
        }
    }
    m_swatchImage.Create(std::max(1, m_swatch->contentsRect().width()), std::max(1, m_swatch->contentsRect().height()));
    ShowSelection();
}

uint32_t CColorPickerDlg::ColorOfIndex(int index)
{
    return index >= 0 && index <= 255 ? PaletteColor(index) : 0;
}

QString CColorPickerDlg::HoverText(int which) const { return m_hover[which]->text(); }
QString CColorPickerDlg::SelectedText(int which) const { return m_selected[which]->text(); }

void CColorPickerDlg::ShowSelection()
{
    Init();
    const uint32_t colour = ColorOfIndex(selected);
    m_selected[0]->setText(QString::number(selected));
    m_selected[1]->setText(QString::number(RedOf(colour)));
    m_selected[2]->setText(QString::number(GreenOf(colour)));
    m_selected[3]->setText(QString::number(BlueOf(colour)));
    m_swatchImage.Clear(colour);
    m_swatch->update();
}

bool CColorPickerDlg::CellAt(int x, int y, int& index) const
{
    if (x < 0 || y < 0)
        return false;
    const int col = x / m_cellWidth;
    const int row = y / m_cellHeight;
    if (col > 15 || row > 15)
        return false;
    index = row * 16 + col;
    return true;
}

void CColorPickerDlg::OnGridMove(int x, int y)
{
    Init();
    int index = 0;
    if (!CellAt(x, y, index)) {
        for (QLabel* label : m_hover)
            label->clear();
        return;
    }
    const PaletteRGB& p = PW2Palette[static_cast<size_t>(index)];
    m_hover[0]->setText(QString::number(index));
    m_hover[1]->setText(QString::number(p.r));
    m_hover[2]->setText(QString::number(p.g));
    m_hover[3]->setText(QString::number(p.b));
}

void CColorPickerDlg::OnGridClick(int x, int y)
{
    Init();
    int index = 0;
    if (!CellAt(x, y, index))
        return;
    selected = index;
    ShowSelection();
}

bool CColorPickerDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_grid) {
        switch (event->type()) {
        case QEvent::MouseMove: {
            const QPoint p = static_cast<QMouseEvent*>(event)->position().toPoint();
            OnGridMove(p.x(), p.y());
            return true;
        }
        case QEvent::Leave:
            OnGridMove(-1, -1);
            return false;
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) {
                const QPoint p = mouse->position().toPoint();
                OnGridClick(p.x(), p.y());
                return true;
            }
            return false;
        }
        case QEvent::Paint: {
            QPainter painter(m_grid);
            painter.drawImage(m_grid->contentsRect().topLeft(), ToQImage(m_gridImage));
            return true;
        }
        default:
            break;
        }
    } else if (watched == m_swatch && event->type() == QEvent::Paint) {
        QPainter painter(m_swatch);
        painter.drawImage(m_swatch->contentsRect().topLeft(), ToQImage(m_swatchImage));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool WindowColorChooser::PickSystemColor(uint32_t& colour)
{
    const ViewBusyScope busy;
    const QColor chosen = QColorDialog::getColor(ToQColor(colour), QApplication::activeWindow());
    if (!chosen.isValid())
        return false;
    colour = FromQColor(chosen);
    return true;
}

bool WindowColorChooser::PickPaletteIndex(int& index)
{
    CColorPickerDlg dlg(QApplication::activeWindow());
    dlg.selected = index;
    if (RunModal(dlg) != QDialog::Accepted)
        return false;
    index = dlg.selected;
    return true;
}

bool WindowColorChooser::IsShiftHeld()
{
    return (QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier) != 0;
}

} // namespace kv

#include "gui/controls/DialogParts.h"

#include "base/ViewHooks.h"
#include "base/raster/VideoBuffer.h"
#include "gui/controls/DialogData.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QWindow>

#include <cstring>

namespace kv {

QLineEdit* MakeEdit(QWidget* parent, int id)
{
    auto* edit = new QLineEdit(parent);
    SetControlId(edit, id);
    return edit;
}

QLabel* MakeLabel(QWidget* parent, int id, const QString& text)
{
    auto* label = new QLabel(text, parent);
    SetControlId(label, id);
    return label;
}

QComboBox* MakeCombo(QWidget* parent, int id, std::initializer_list<const char*> items)
{
    auto* combo = new QComboBox(parent);
    SetControlId(combo, id);
    for (const char* item : items)
        combo->addItem(QString::fromUtf8(item));
    return combo;
}

QCheckBox* MakeCheck(QWidget* parent, int id, const QString& text)
{
    auto* check = new QCheckBox(text, parent);
    SetControlId(check, id);
    return check;
}

void AddRow(QGridLayout* grid, QWidget* label, QWidget* field, QWidget* unit)
{
    const int row = grid->rowCount();
    if (label)
        grid->addWidget(label, row, 0);
    if (field)
        grid->addWidget(field, row, 1);
    if (unit)
        grid->addWidget(unit, row, 2);
}

QDialogButtonBox* MakeButtons(QDialog* dialog, const std::function<void()>& help)
{
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    SetControlId(box->button(QDialogButtonBox::Ok), 1);
    SetControlId(box->button(QDialogButtonBox::Cancel), 2);
    QObject::connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    if (help) {
        QPushButton* button = box->addButton("&Help", QDialogButtonBox::HelpRole);
        SetControlId(button, 9);
        QObject::connect(button, &QPushButton::clicked, dialog, help);
    }
    return box;
}

int RunModal(QDialog& dialog)
{
    // The dialog's event loop would otherwise let the idle ticks prepare a render.
    const ViewBusyScope busy;
    return dialog.exec();
}

namespace {
QPointer<QWidget> g_ownerWindow;
} // namespace

QWidget* OwnerWindow() { return g_ownerWindow.data(); }
void SetOwnerWindow(QWidget* window) { g_ownerWindow = window; }

void KeepAbove(QWidget* window, QWidget* owner)
{
    if (!window || !owner || window == owner)
        return;
    window->winId();
    owner->window()->winId();
    if (QWindow* handle = window->windowHandle())
        handle->setTransientParent(owner->window()->windowHandle());
}

QImage ToQImage(const VideoBuffer& buffer)
{
    const int w = buffer.GetWidth();
    const int h = buffer.GetHeight();
    const int bpp = buffer.BytesPerPixel();
    if (buffer.IsEmpty() || w <= 0 || h <= 0 || (bpp != 3 && bpp != 4))
        return QImage();
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        const uint8_t* src = buffer.RowPointer(y);
        auto* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
        if (bpp == 4) {
            std::memcpy(dst, src, static_cast<size_t>(w) * 4);
            for (int x = 0; x < w; ++x)
                dst[x] |= 0xFF000000u;
        } else {
            for (int x = 0; x < w; ++x, src += 3)
                dst[x] = qRgb(src[2], src[1], src[0]);
        }
    }
    return image;
}

namespace {

HelpHandler& Handler()
{
    static HelpHandler handler;
    return handler;
}

} // namespace

void SetHelpHandler(HelpHandler handler) { Handler() = std::move(handler); }

void OpenHelpContext(int context)
{
    if (Handler())
        Handler()(context);
}

} // namespace kv

#include "gui/dialogs/CMapProjectionDlg.h"

#include "projection/MapProject.h"
#include "projection/ProjectionRegistry.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>
#include <cstdio>

namespace kv {

namespace {

enum Field { kLat, kLon, kXOfs, kYOfs, kScale, kLat0, kLat1 };

QString Fixed(const char* format, double v)
{
    char text[400];
    std::snprintf(text, sizeof text, format, v);
    return QString::fromLatin1(text);
}

// "%f" in single precision: false when the text does not start with a finite number.
bool ScanFloat(const QString& text, double& value)
{
    float v = 0;
    char rest = 0;
    const QByteArray bytes = text.trimmed().toLatin1();
    if (std::sscanf(bytes.constData(), "%f%c", &v, &rest) < 1 || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

} // namespace

CMapProjectionDlg::CMapProjectionDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle("Map Projection");
    auto* top = new QGridLayout(this);
    m_list = new QListWidget(this);
    top->addWidget(m_list, 0, 0, 4, 1);
    m_previewFrame = new QLabel(this);
    m_previewFrame->setFixedSize(kPreviewWidth + 2, kPreviewHeight + 2);
    m_previewFrame->setFrameShape(QFrame::Box);
    m_previewFrame->installEventFilter(this);
    top->addWidget(m_previewFrame, 0, 1, 1, 2);
    m_type = new QLabel(this);
    m_description = new QLabel(this);
    m_description->setWordWrap(true);
    top->addWidget(m_type, 1, 1, 1, 2);
    top->addWidget(m_description, 2, 1, 1, 2);
    auto* fields = new QGridLayout;
    top->addLayout(fields, 3, 1, 1, 2);
    const char* labels[7] = {"Lat:", "Lon:", "X Ofs:", "Y Ofs:", "Scale:", "Conic Lat0:", "Conic Lat1:"};
    for (int k = 0; k < 7; ++k) {
        auto* label = new QLabel(labels[k], this);
        m_edits[static_cast<std::size_t>(k)] = new QLineEdit(this);
        fields->addWidget(label, k, 0);
        fields->addWidget(m_edits[static_cast<std::size_t>(k)], k, 1);
        if (k >= kLat0)
            m_conicLabels[static_cast<std::size_t>(k - kLat0)] = label;
        connect(m_edits[static_cast<std::size_t>(k)], &QLineEdit::textChanged, this, [this, k] { OnEditChanged(k); });
    }
    m_centreMode = new QPushButton("&Center Of Projection", this);
    m_centreMode->setCheckable(true);
    auto* plus = new QPushButton("+", this);
    auto* minus = new QPushButton("-", this);
    auto* fit = new QPushButton("&Fit", this);
    for (QPushButton* b : {m_centreMode, plus, minus, fit})
        b->setAutoDefault(false);
    auto* row = new QHBoxLayout;
    row->addWidget(m_centreMode);
    row->addWidget(plus);
    row->addWidget(minus);
    row->addWidget(fit);
    top->addLayout(row, 4, 0, 1, 3);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    top->addWidget(box, 5, 0, 1, 3);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(plus, &QPushButton::clicked, this, &CMapProjectionDlg::OnZoomIn);
    connect(minus, &QPushButton::clicked, this, &CMapProjectionDlg::OnZoomOut);
    connect(fit, &QPushButton::clicked, this, &CMapProjectionDlg::OnFit);
    connect(m_list, &QListWidget::currentRowChanged, this, &CMapProjectionDlg::OnProjectionSelected);
    m_timer = new QTimer(this);
    m_timer->setInterval(100);
    connect(m_timer, &QTimer::timeout, this, &CMapProjectionDlg::OnTick);
}

void CMapProjectionDlg::SetSource(SurfMap* world, const LightParms* light)
{
    m_preview.SetSource(world, light);
}

void CMapProjectionDlg::Open()
{
    parms.GetScale(m_values[kScale]);
    parms.GetOffset(m_values[kXOfs], m_values[kYOfs]);
    parms.GetCenter(m_values[kLat], m_values[kLon]);
    parms.GetConicParallels(m_values[kLat0], m_values[kLat1]);
    m_preview.Create(kPreviewWidth, kPreviewHeight);
    m_preview.SetOffMapColour([] {
        const QColor c = QApplication::palette().color(QPalette::Button);
        return uint32_t(c.red()) | uint32_t(c.green()) << 8 | uint32_t(c.blue()) << 16;
    }());
    {
        const QSignalBlocker block(m_list);
        m_list->clear();
        ProjectionRegistry& registry = ProjectionRegistry::Get();
        for (int id = registry.FirstId(); id != ProjectionRegistry::kEndId; id = registry.NextId(id)) {
            auto* item = new QListWidgetItem(QString::fromStdString(registry.GetName(id)), m_list);
            item->setData(Qt::UserRole, id);
            if (id == parms.GetProjectionId())
                m_list->setCurrentItem(item);
        }
    }
    Apply();
    RefreshTexts();
    m_timer->start();
}

void CMapProjectionDlg::Apply()
{
    parms.SetScale(m_values[kScale]);
    parms.SetCenter(m_values[kLat], m_values[kLon]);
    parms.SetOffset(m_values[kXOfs], m_values[kYOfs]);
    parms.SetConicParallels(m_values[kLat0], m_values[kLat1]);
    m_preview.Restart();
}

void CMapProjectionDlg::RefreshTexts()
{
    const int flags = parms.GetProjectionFlags();
    m_type->setText(QString::fromStdString(DescribeProjectionFlags(flags)));
    const MapProject* projection = parms.GetProjection();
    const std::string description = projection ? projection->GetDescription() : std::string();
    m_description->setText(description.empty() ? QString("No Description Available") : QString::fromStdString(description));
    double lat = 0, lon = 0, p0 = 0, p1 = 0;
    parms.GetCenter(lat, lon);
    parms.GetConicParallels(p0, p1);
    const double shown[7] = {lat, lon, m_values[kXOfs], m_values[kYOfs], m_values[kScale], p0, p1};
    m_inEdit = true;
    for (int k = 0; k < 7; ++k)
        m_edits[static_cast<std::size_t>(k)]->setText(Fixed("%.4f", shown[k]));
    m_inEdit = false;
    const bool conic = (flags & kProjConic) != 0;
    for (int k = kLat0; k <= kLat1; ++k) {
        m_edits[static_cast<std::size_t>(k)]->setEnabled(conic);
        m_conicLabels[static_cast<std::size_t>(k - kLat0)]->setEnabled(conic);
    }
}

void CMapProjectionDlg::RewriteEdits(int except)
{
    m_inEdit = true;
    for (int k = 0; k < 7; ++k)
        if (k != except)
            m_edits[static_cast<std::size_t>(k)]->setText(Fixed("%0.5f", m_values[static_cast<std::size_t>(k)]));
    m_inEdit = false;
}

void CMapProjectionDlg::OnEditChanged(int index)
{
    if (m_inEdit)
        return;
    double v = 0;
    if (ScanFloat(m_edits[static_cast<std::size_t>(index)]->text(), v) && !(index == kScale && v <= 0.0)) {
        m_values[static_cast<std::size_t>(index)] = v;
        Apply();
    }
    RewriteEdits(index);
}

void CMapProjectionDlg::OnProjectionSelected(int row)
{
    QListWidgetItem* item = m_list->item(row);
    if (item == nullptr)
        return;
    parms.SetProjection(item->data(Qt::UserRole).toInt());
    Apply();
    RefreshTexts();
}

void CMapProjectionDlg::OnZoomIn()
{
    m_values[kScale] *= 0.5;
    Apply();
    RefreshTexts();
}

void CMapProjectionDlg::OnZoomOut()
{
    m_values[kScale] *= 2.0;
    Apply();
    RefreshTexts();
}

void CMapProjectionDlg::OnFit()
{
    m_values[kScale] = 1.0;
    m_values[kXOfs] = 0.00001;
    m_values[kYOfs] = 0.0;
    m_values[kLat] = 0.0;
    m_values[kLon] = 0.0;
    Apply();
    RefreshTexts();
}

void CMapProjectionDlg::BeginDrag(int x, int y)
{
    m_dragging = true;
    m_startX = x;
    m_startY = y;
    m_dragStart = {m_values[kLat], m_values[kLon], m_values[kXOfs], m_values[kYOfs]};
}

void CMapProjectionDlg::DragTo(int x, int y)
{
    if (!m_dragging)
        return;
    const double unit = std::max(1, m_preview.SmallerSide());
    const double dx = m_values[kScale] * (x - m_startX) / unit;
    const double dy = m_values[kScale] * (y - m_startY) / unit;
    if (m_centreMode->isChecked()) {
        m_values[kLat] = m_dragStart[0] + dy * 180.0;
        m_values[kLon] = m_dragStart[1] - dx * 360.0;
    } else {
        m_values[kXOfs] = m_dragStart[2] + dx * 2.0;
        m_values[kYOfs] = m_dragStart[3] + dy * 2.0;
    }
    Apply();
    RefreshTexts();
}

void CMapProjectionDlg::EndDrag(bool shiftHeld)
{
    if (!m_dragging)
        return;
    m_dragging = false;
    if (shiftHeld) {
        m_values[kLat] = m_dragStart[0];
        m_values[kLon] = m_dragStart[1];
        m_values[kXOfs] = m_dragStart[2];
        m_values[kYOfs] = m_dragStart[3];
        Apply();
        RefreshTexts();
    }
}

void CMapProjectionDlg::OnTick()
{
    if (m_inTick || m_preview.Complete())
        return;
    m_inTick = true;
    if (m_preview.Step(parms)) {
        const VideoBuffer& image = m_preview.Image();
        QImage picture(image.GetWidth(), image.GetHeight(), QImage::Format_RGB32);
        for (int row = 0; row < image.GetHeight(); ++row) {
            auto* line = reinterpret_cast<QRgb*>(picture.scanLine(row));
            for (int col = 0; col < image.GetWidth(); ++col) {
                const uint32_t p = image.GetPixel(col, row);
                line[col] = qRgb(p & 0xFF, (p >> 8) & 0xFF, (p >> 16) & 0xFF);
            }
        }
        m_previewFrame->setPixmap(QPixmap::fromImage(picture));
    }
    m_inTick = false;
}

bool CMapProjectionDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_previewFrame) {
        const bool isMouse = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseMove ||
                             event->type() == QEvent::MouseButtonRelease;
        if (!isMouse)
            return QDialog::eventFilter(watched, event);
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint p = mouse->position().toPoint() - QPoint(1, 1);
        if (event->type() == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) {
            BeginDrag(p.x(), p.y());
            return true;
        }
        if (event->type() == QEvent::MouseMove && m_dragging) {
            DragTo(p.x(), p.y());
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton) {
            EndDrag((mouse->modifiers() & Qt::ShiftModifier) != 0);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

int CMapProjectionDlg::exec()
{
    Open();
    return QDialog::exec();
}

void CMapProjectionDlg::done(int result)
{
    m_timer->stop();
    QDialog::done(result);
}

} // namespace kv

#include "gui/controls/CColorKeyDlg.h"

#include "gui/controls/DialogParts.h"
#include "platform/CLocale.h"
#include "world/SurfaceSampler.h"

#include <QPainter>

#include <cmath>

namespace kv {

namespace {

constexpr int kLabelLeft = 48;
constexpr int kLabelRight = 500;
constexpr int kLabelHeight = 20;

} // namespace

CColorKeyDlg::CColorKeyDlg(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(200, 260);
}

void CColorKeyDlg::SetSource(SurfaceSampler* sampler)
{
    m_source = sampler;
    if (m_source)
        m_source->GetShaderRange(m_low, m_high);
    Rebuild();
    update();
}

void CColorKeyDlg::Rebuild()
{
    m_labels.clear();
    if (!m_source) {
        m_strip.Free();
        return;
    }
    m_strip.Create(kStripWidth, kStripHeight);
    const double low = m_low;
    const double high = m_high;
    for (int k = 0; k < kStripHeight; ++k) {
        const double value = low + (high + 1.0 - low) * (kStripHeight - 1 - k) / (kStripHeight - 1);
        const uint32_t colour = m_source->ValueToColor(static_cast<float>(value));
        for (int x = 0; x < kStripWidth; ++x)
            m_strip.SetPixelFast(x, k, colour);
    }
    if (m_source->ShaderId() == kClimateShader) {
        const int n = static_cast<int>(std::floor(high));
        const double band = kStripHeight / (high + 1.0);
        for (int i = 0; i <= n && n >= 0; ++i) {
            const int top = static_cast<int>(i * band) + 14;
            m_labels.push_back({QRect(QPoint(kLabelLeft, top), QPoint(kLabelRight, top + kLabelHeight)),
                                QString::fromStdString(m_source->GetClimateName(n - i))});
        }
        return;
    }
    const std::string unit = m_source->GetShaderName();
    for (int i = 0; i < 10; ++i) {
        const double d = i / 9.0;
        const double value = (high - low) * (1.0 - d) + low;
        const float shown = m_source->ToDisplayUnits(static_cast<float>(value));
        const int top = 14 + static_cast<int>(d * 218.0);
        m_labels.push_back({QRect(QPoint(kLabelLeft, top), QPoint(kLabelRight, top + kLabelHeight)),
                            QString::fromStdString(FormatC("%0.0f", static_cast<double>(shown)) + " " + unit)});
    }
}

void CColorKeyDlg::paintEvent(QPaintEvent*)
{
    if (!m_source)
        return;
    QPainter painter(this);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(QPoint(11, 11), QPoint(45, 245)));
    painter.drawImage(12, 12, ToQImage(m_strip));
    QFont font("Arial");
    font.setPointSize(8);
    painter.setFont(font);
    painter.setBackgroundMode(Qt::TransparentMode);
    for (const Label& label : m_labels)
        painter.drawText(label.box, Qt::AlignLeft | Qt::AlignTop, label.text);
}

} // namespace kv

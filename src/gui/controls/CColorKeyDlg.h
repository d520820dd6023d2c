// The colour key bar: the current shader's colours from the low to the high end of its range
// as a 32 x 232 strip, with the values (or the climate classes) written beside it.
#pragma once

#include "base/raster/VideoBuffer.h"

#include <QRect>
#include <QString>
#include <QWidget>

#include <vector>

namespace kv {

class SurfaceSampler;

class CColorKeyDlg : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWindowId = 33129;
    static constexpr int kStripWidth = 32;
    static constexpr int kStripHeight = 232;
    static constexpr int kClimateShader = 2;

    explicit CColorKeyDlg(QWidget* parent = nullptr);

    // Keeps the sampler, takes its shader's range and repaints (null: nothing drawn).
    void SetSource(SurfaceSampler* sampler);
    SurfaceSampler* Source() const { return m_source; }
    float Low() const { return m_low; }
    float High() const { return m_high; }

    // The strip as painted (empty without a source) and the labels with their boxes.
    struct Label {
        QRect box;
        QString text;
    };
    const VideoBuffer& Strip() const { return m_strip; }
    const std::vector<Label>& Labels() const { return m_labels; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Rebuild();

    SurfaceSampler* m_source = nullptr;
    float m_low = 0.0f;
    float m_high = 1.0f;
    VideoBuffer m_strip;
    std::vector<Label> m_labels;
};

} // namespace kv

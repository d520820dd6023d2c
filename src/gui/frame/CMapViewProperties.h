// The "View Properties" bar: the values under the pointer and the extent of the view.
#pragma once

#include <QWidget>

#include <array>

class QLabel;

namespace kv {

struct CursorInfo;
struct ProjectedAxes;

class CMapViewProperties : public QWidget {
    Q_OBJECT
public:
    explicit CMapViewProperties(QWidget* parent = nullptr);

    void Refresh(const CursorInfo& info);
    void ShowMeasure(const ProjectedAxes& axes);

    // Latitude, longitude, altitude, rainfall, temperature, water level, climate.
    QLabel* ValueField(int index) const { return m_values[static_cast<std::size_t>(index)]; }
    // North-south, east-west, latitude range, longitude range.
    QLabel* MeasureField(int index) const { return m_measures[static_cast<std::size_t>(index)]; }

private:
    std::array<QLabel*, 7> m_values{};
    std::array<QLabel*, 4> m_measures{};
};

} // namespace kv

// The "View Properties" bar: the values under the pointer and the extent of the view. Its
// value fields keep one width, that of the widest text they are expected to show (a longer
// text, such as a long climate name, is cut with an ellipsis and shown whole as the tool
// tip), so moving the pointer never resizes the bar or the map beside it.
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
    // The width every value field keeps.
    int FieldWidth() const { return m_fieldWidth; }

private:
    void ShowText(QLabel* field, const QString& text);

    int m_fieldWidth = 0;
    std::array<QLabel*, 7> m_values{};
    std::array<QLabel*, 4> m_measures{};
};

} // namespace kv

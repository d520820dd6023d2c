// "Alternate Climate Coloration": the picture the Image Climate shader colours land with,
// indexed by temperature (across) and rainfall (down), shown over a chart of the climate
// model's classes, with the point under the mouse read out.
#pragma once

#include "base/raster/VideoBuffer.h"
#include "document/DocumentServices.h"

#include <QDialog>
#include <QString>

#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace kv {

class CImageClimateDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kChartWidth = 300;
    static constexpr int kChartHeight = 200;
    static constexpr double kTemperatureSpan = 55.555557; // degrees C across the chart
    static constexpr double kTemperatureLow = -17.777779;
    static constexpr double kRainfallSpan = 300.0;        // cm/yr down the chart

    explicit CImageClimateDlg(const ImageClimateValues& values, QWidget* parent = nullptr);

    ImageClimateValues values;
    QLineEdit* PathEdit() const { return m_path; }
    QCheckBox* GridCheck() const { return m_grid; }
    QCheckBox* ImageCheck() const { return m_image; }
    QWidget* Chart() const { return m_chart; }
    const VideoBuffer& ChartImage() const { return m_chartImage; }
    QString TemperatureText() const;
    QString RainfallText() const;
    QString ClimateText() const;
    QString TemperatureUnit() const;
    QString RainfallUnit() const;

    // Draws the chart into its image.
    void DrawChart();
    // The read-out for a chart pixel.
    void ShowPoint(int x, int y);
    // Takes the path and, when the picture loads, shows it; then redraws.
    void LoadImage(const std::string& path);
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnLoadClicked();

    QLineEdit* m_path;
    QCheckBox* m_grid;
    QCheckBox* m_image;
    QWidget* m_chart;
    QLabel* m_temperature;
    QLabel* m_rainfall;
    QLabel* m_climate;
    QLabel* m_temperatureUnit;
    QLabel* m_rainfallUnit;
    VideoBuffer m_chartImage;
    VideoBuffer m_picture;
    int m_enabled = 1; // as read on opening
};

} // namespace kv

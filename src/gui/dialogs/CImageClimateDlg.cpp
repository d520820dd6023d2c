#include "gui/dialogs/CImageClimateDlg.h"

#include "base/DisplayUnits.h"
#include "base/color/ClimateParms.h"
#include "gui/controls/DialogData.h"
#include "gui/controls/DialogParts.h"
#include "gui/controls/FileDialogs.h"
#include "platform/CLocale.h"
#include "shading/Shaders.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFileDialog>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace kv {

namespace {

constexpr const char* kImageFilter =
    "Image Files (*.bmp;*.jpg)|*.bmp;*.jpg|Windows BMP Files (*.bmp)|*.bmp|JPEG Files (*.jpg)|*.jpg|All Files "
    "(*.*)|*.*||";

const ClimateParms& DefaultClimate()
{
    static const ClimateParms climate;
    return climate;
}

} // namespace

CImageClimateDlg::CImageClimateDlg(const ImageClimateValues& v, QWidget* parent)
    : QDialog(parent), values(v), m_path(MakeEdit(this, 5141)), m_grid(MakeCheck(this, 5048, "Show &Grid")),
      m_image(MakeCheck(this, 5638, "Show &Image")), m_chart(new QFrame(this)), m_temperature(MakeLabel(this, 5530, "")),
      m_rainfall(MakeLabel(this, 5448, "")), m_climate(MakeLabel(this, 5636, "")),
      m_temperatureUnit(MakeLabel(this, 5634, IsMetric() ? "C" : "F")),
      m_rainfallUnit(MakeLabel(this, 5633, IsMetric() ? "cm/yr" : "in/yr"))
{
    setWindowTitle("Alternate Climate Coloration");
    SetControlId(m_chart, 5612);
    m_chart->setFixedSize(kChartWidth, kChartHeight);
    m_chart->setMouseTracking(true);
    m_chart->installEventFilter(this);
    auto* load = new QPushButton("&Load Image From Disk...", this);

    auto* readout = new QGridLayout;
    AddRow(readout, MakeLabel(this, 0, "Temperature:"), m_temperature, m_temperatureUnit);
    AddRow(readout, MakeLabel(this, 0, "Rainfall:"), m_rainfall, m_rainfallUnit);
    AddRow(readout, MakeLabel(this, 0, "Climate:"), m_climate);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(MakeLabel(this, 0, "Image File:"));
    pathRow->addWidget(m_path);
    pathRow->addWidget(load);
    auto* checks = new QHBoxLayout;
    checks->addWidget(m_grid);
    checks->addWidget(m_image);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(pathRow);
    layout->addWidget(m_chart);
    layout->addLayout(checks);
    layout->addLayout(readout);
    layout->addWidget(MakeButtons(this));

    std::string path;
    if (values.shader)
        values.shader->GetImage(m_enabled, path);
    m_chartImage.Create(kChartWidth, kChartHeight);
    m_path->setText(QString::fromStdString(path));
    if (!path.empty() && m_picture.LoadImageFile(path) >= 0)
        m_image->setChecked(true);
    DrawChart();

    connect(load, &QPushButton::clicked, this, &CImageClimateDlg::OnLoadClicked);
    connect(m_grid, &QCheckBox::toggled, this, &CImageClimateDlg::DrawChart);
    connect(m_image, &QCheckBox::toggled, this, &CImageClimateDlg::DrawChart);
}

QString CImageClimateDlg::TemperatureText() const { return m_temperature->text(); }
QString CImageClimateDlg::RainfallText() const { return m_rainfall->text(); }
QString CImageClimateDlg::ClimateText() const { return m_climate->text(); }
QString CImageClimateDlg::TemperatureUnit() const { return m_temperatureUnit->text(); }
QString CImageClimateDlg::RainfallUnit() const { return m_rainfallUnit->text(); }

void CImageClimateDlg::DrawChart()
{
    const int w = m_chartImage.GetWidth();
    const int h = m_chartImage.GetHeight();
    const ClimateParms& climate = values.climate ? *values.climate : DefaultClimate();
    const bool showImage = m_image->isChecked() && !m_picture.IsEmpty();
    const double imageWidth1 = m_picture.GetWidth() - 1;
    const double imageHeight1 = m_picture.GetHeight() - 1;
    for (int i = 0; i < h; ++i) {
        const double rainfall = static_cast<double>(i) / h * kRainfallSpan;
        for (int j = 0; j < w; ++j) {
            const double temperature = static_cast<double>(j) / w * kTemperatureSpan + kTemperatureLow;
            uint32_t colour;
            if (showImage) {
                const int x = static_cast<int>((temperature - kTemperatureLow) * imageWidth1 * 0.018);
                const int y = static_cast<int>(imageHeight1 * rainfall / kRainfallSpan);
                colour = m_picture.GetPixel(x, y) & 0xFFFFFFu;
            } else {
                colour = climate.ClimateColor(
                    ClimateParms::LookupClimateClass(rainfall, temperature + ClimateParms::kKelvinOffset));
            }
            m_chartImage.SetPixelFast(j, i, colour);
        }
    }
    if (m_grid->isChecked()) {
        for (int k = 0; k <= 20; ++k) {
            const double t = kTemperatureLow + k * 2.777778;
            const int row = static_cast<int>((t - kTemperatureLow) * h * 0.018);
            for (int j = 0; j < w; ++j)
                m_chartImage.SetPixel(j, row, 0);
        }
        for (int r = 0; r <= 300; r += 10) {
            const int col = static_cast<int>(static_cast<double>(w) * r / kRainfallSpan);
            for (int i = 0; i < h; ++i)
                m_chartImage.SetPixel(col, i, 0);
        }
    }
    m_chart->update();
}

void CImageClimateDlg::ShowPoint(int x, int y)
{
    const int w = m_chartImage.GetWidth();
    const int h = m_chartImage.GetHeight();
    if (x < 0 || y < 0 || x >= w || y >= h)
        return;
    const double rainfall = static_cast<double>(y) / h * kRainfallSpan;
    const double temperature = static_cast<double>(x) / w * kTemperatureSpan + kTemperatureLow;
    const bool metric = IsMetric();
    m_temperature->setText(QString::fromStdString(FormatC("%0.2f", metric ? temperature : temperature * 1.8 + 32.0)));
    m_rainfall->setText(QString::fromStdString(FormatC("%0.2f", metric ? rainfall : rainfall * kInchesPerCm)));
    m_climate->setText(QString::fromUtf8(ClimateParms::GetClimateName(
        ClimateParms::LookupClimateClass(rainfall, temperature + ClimateParms::kKelvinOffset))));
}

void CImageClimateDlg::LoadImage(const std::string& path)
{
    m_path->setText(QString::fromStdString(path));
    VideoBuffer picture;
    if (picture.LoadImageFile(path) >= 0) {
        m_picture.Swap(picture);
        // Drawn once below, not again by the check's own redraw.
        const QSignalBlocker block(m_image);
        m_image->setChecked(true);
    }
    DrawChart();
}

void CImageClimateDlg::OnLoadClicked()
{
    CMyFileDialog dialog(false, QString(), m_path->text(), kImageFilter, this);
    dialog.setWindowTitle("Select Climate Image File");
    if (RunModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    LoadImage(dialog.selectedFiles().front().toStdString());
}

bool CImageClimateDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_chart) {
        switch (event->type()) {
        case QEvent::MouseMove:
        case QEvent::MouseButtonPress: {
            const QPoint p = static_cast<QMouseEvent*>(event)->position().toPoint();
            ShowPoint(p.x(), p.y());
            return true;
        }
        case QEvent::Paint: {
            QPainter painter(m_chart);
            painter.drawImage(0, 0, ToQImage(m_chartImage));
            return true;
        }
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CImageClimateDlg::accept()
{
    if (values.shader)
        values.shader->SetImage(m_enabled, m_path->text().toStdString());
    QDialog::accept();
}

} // namespace kv

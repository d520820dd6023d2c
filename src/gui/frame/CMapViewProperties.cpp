#include "gui/frame/CMapViewProperties.h"

#include "base/DisplayUnits.h"
#include "view/PropertyTexts.h"
#include "view/ViewInput.h"
#include "world/GreatCircle.h"

#include <QGridLayout>
#include <QLabel>

namespace kv {

CMapViewProperties::CMapViewProperties(QWidget* parent) : QWidget(parent)
{
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(4, 2, 4, 2);
    const char* valueLabels[7] = {"Latitude:", "Longitude:", "Altitude:", "Rainfall:", "Temperature:", "Water Level:",
                                  "Climate:"};
    for (int k = 0; k < 7; ++k) {
        grid->addWidget(new QLabel(valueLabels[k], this), k, 0);
        m_values[static_cast<std::size_t>(k)] = new QLabel("No Data", this);
        grid->addWidget(m_values[static_cast<std::size_t>(k)], k, 1);
    }
    const char* measureLabels[4] = {"N-S Length:", "E-W Length:", "N-S Range:", "E-W Range:"};
    for (int k = 0; k < 4; ++k) {
        grid->addWidget(new QLabel(measureLabels[k], this), 7 + k, 0);
        m_measures[static_cast<std::size_t>(k)] = new QLabel(this);
        grid->addWidget(m_measures[static_cast<std::size_t>(k)], 7 + k, 1);
    }
    grid->setRowStretch(11, 1);
}

void CMapViewProperties::Refresh(const CursorInfo& info)
{
    const auto texts = CursorTexts(info, IsMetric());
    for (std::size_t k = 0; k < texts.size(); ++k)
        m_values[k]->setText(QString::fromStdString(texts[k]));
}

void CMapViewProperties::ShowMeasure(const ProjectedAxes& axes)
{
    const auto texts = MeasureTexts(axes, IsMetric());
    for (std::size_t k = 0; k < texts.size(); ++k)
        m_measures[k]->setText(QString::fromStdString(texts[k]));
}

} // namespace kv

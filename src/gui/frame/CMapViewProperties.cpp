#include "gui/frame/CMapViewProperties.h"

#include "base/DisplayUnits.h"
#include "view/PropertyTexts.h"
#include "view/ViewInput.h"
#include "world/GreatCircle.h"

#include <QGridLayout>
#include <QLabel>

#include <algorithm>

namespace kv {

namespace {

// The widest texts the fields show in either units: positions, values, the longest class
// name of the default climate model, lengths and ranges.
const char* const kWidestTexts[] = {"-180.00000 deg", "-32808.4 ft", "-99999.9 m", "-9999.9 cm", "-999.9 F",
                                    "Tropical Deciduous Forest", "No Data", "99999.99 km", "360.00000 deg"};

} // namespace

CMapViewProperties::CMapViewProperties(QWidget* parent) : QWidget(parent)
{
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(4, 2, 4, 2);
    for (const char* text : kWidestTexts)
        m_fieldWidth = std::max(m_fieldWidth, fontMetrics().horizontalAdvance(QString::fromLatin1(text)));
    m_fieldWidth += fontMetrics().averageCharWidth();
    const char* valueLabels[7] = {"Latitude:", "Longitude:", "Altitude:", "Rainfall:", "Temperature:", "Water Level:",
                                  "Climate:"};
    for (int k = 0; k < 7; ++k) {
        grid->addWidget(new QLabel(valueLabels[k], this), k, 0);
        m_values[static_cast<std::size_t>(k)] = new QLabel("No Data", this);
        m_values[static_cast<std::size_t>(k)]->setFixedWidth(m_fieldWidth);
        grid->addWidget(m_values[static_cast<std::size_t>(k)], k, 1);
    }
    const char* measureLabels[4] = {"N-S Length:", "E-W Length:", "N-S Range:", "E-W Range:"};
    for (int k = 0; k < 4; ++k) {
        grid->addWidget(new QLabel(measureLabels[k], this), 7 + k, 0);
        m_measures[static_cast<std::size_t>(k)] = new QLabel(this);
        m_measures[static_cast<std::size_t>(k)]->setFixedWidth(m_fieldWidth);
        grid->addWidget(m_measures[static_cast<std::size_t>(k)], 7 + k, 1);
    }
    grid->setRowStretch(11, 1);
}

void CMapViewProperties::Refresh(const CursorInfo& info)
{
    const auto texts = CursorTexts(info, IsMetric());
    for (std::size_t k = 0; k < texts.size(); ++k)
        ShowText(m_values[k], QString::fromStdString(texts[k]));
}

void CMapViewProperties::ShowText(QLabel* field, const QString& text)
{
    const QString shown = field->fontMetrics().elidedText(text, Qt::ElideRight, m_fieldWidth);
    field->setText(shown);
    field->setToolTip(shown == text ? QString() : text);
}

void CMapViewProperties::ShowMeasure(const ProjectedAxes& axes)
{
    const auto texts = MeasureTexts(axes, IsMetric());
    for (std::size_t k = 0; k < texts.size(); ++k)
        ShowText(m_measures[k], QString::fromStdString(texts[k]));
}

} // namespace kv

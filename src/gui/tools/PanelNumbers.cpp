#include "gui/tools/PanelNumbers.h"

#include "platform/CLocale.h"

#include <QLineEdit>

#include <climits>
#include <cmath>

namespace kv {

std::optional<double> ParsePanelNumber(const QString& text)
{
    const std::string s = text.trimmed().toStdString();
    if (s.empty())
        return std::nullopt;
    char* end = nullptr;
    const double v = StrToDoubleC(s.c_str(), &end);
    if (end == s.c_str() || *end != '\0' || !std::isfinite(v))
        return std::nullopt;
    // Only decimal forms: strtod's words and hexadecimal numbers are no panel numbers.
    if (s.find_first_not_of("0123456789+-.eE") != std::string::npos)
        return std::nullopt;
    return v;
}

std::optional<int> ParsePanelInt(const QString& text)
{
    const std::optional<double> v = ParsePanelNumber(text);
    if (!v || *v != std::trunc(*v) || *v < INT_MIN || *v > INT_MAX)
        return std::nullopt;
    return static_cast<int>(*v);
}

QString PanelNumberText(double value) { return QString::fromStdString(FormatC("%g", value)); }
QString PanelIntText(int value) { return QString::number(value); }

QLineEdit* MakePanelEdit(QWidget* parent, int id)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::number(id));
    return edit;
}

} // namespace kv

#include "gui/controls/DialogData.h"

#include "base/MessageService.h"
#include "platform/CLocale.h"

#include <QColor>
#include <QLineEdit>
#include <QVariant>
#include <QWidget>

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace kv {

namespace {

constexpr const char* kIdProperty = "kvControlId";
constexpr const char* kShownTextProperty = "kvShownText";
constexpr const char* kShownValueProperty = "kvShownValue";

// The text without blanks around it, empty when nothing is left.
std::string Trimmed(const QString& text) { return text.trimmed().toStdString(); }

} // namespace

void SetControlId(QWidget* control, int id)
{
    control->setProperty(kIdProperty, id);
    control->setObjectName(QString::number(id));
}

int ControlId(const QWidget* control)
{
    const QVariant v = control->property(kIdProperty);
    return v.isValid() ? v.toInt() : 0;
}

QWidget* FindControl(const QWidget* window, int id)
{
    if (!window)
        return nullptr;
    for (QWidget* w : window->findChildren<QWidget*>(QString::number(id))) {
        if (ControlId(w) == id)
            return w;
    }
    return nullptr;
}

// The fewest significant digits (from the type's own count) that read back as the same
// value, so that a dialog's OK leaves an untouched value exactly as it was.
QString FloatText(float value)
{
    std::string text;
    for (int digits = FLT_DIG; digits <= 9; ++digits) {
        text = FormatC("%.*g", digits, static_cast<double>(value));
        if (static_cast<float>(StrToDoubleC(text.c_str(), nullptr)) == value)
            break;
    }
    return QString::fromStdString(text);
}

QString DoubleText(double value)
{
    for (int digits = FLT_DIG; digits <= DBL_DIG; ++digits) {
        const std::string text = FormatC("%.*g", digits, value);
        if (StrToDoubleC(text.c_str(), nullptr) == value)
            return QString::fromStdString(text);
    }
    // No short text reads back exactly: the digits of a float are all the value has to say.
    if (std::isfinite(value) && std::fabs(value) <= FLT_MAX)
        return FloatText(static_cast<float>(value));
    return QString::fromStdString(FormatC("%.*g", DBL_DIG, value));
}

void ShowNumber(QLineEdit* edit, double value) { ShowNumber(edit, value, DoubleText(value)); }

void ShowNumber(QLineEdit* edit, double value, const QString& text)
{
    edit->setText(text);
    edit->setProperty(kShownTextProperty, text);
    edit->setProperty(kShownValueProperty, value);
}

std::optional<double> ShownNumber(const QLineEdit* edit)
{
    const QVariant text = edit->property(kShownTextProperty);
    if (!text.isValid() || text.toString() != edit->text())
        return std::nullopt;
    return edit->property(kShownValueProperty).toDouble();
}

std::optional<double> ParseDouble(const QString& text)
{
    const std::string s = Trimmed(text);
    if (s.empty())
        return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const double v = StrToDoubleC(s.c_str(), &end);
    if (end == s.c_str() || *end != '\0' || !std::isfinite(v) || errno == ERANGE)
        return std::nullopt;
    return v;
}

std::optional<float> ParseFloat(const QString& text)
{
    const std::optional<double> v = ParseDouble(text);
    if (!v || std::fabs(*v) > static_cast<double>(FLT_MAX))
        return std::nullopt;
    return static_cast<float>(*v);
}

std::optional<int> ParseInt(const QString& text)
{
    const std::string s = Trimmed(text);
    if (s.empty())
        return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(s.c_str(), &end, 10);
    if (end == s.c_str() || *end != '\0' || errno == ERANGE || v < INT_MIN || v > INT_MAX)
        return std::nullopt;
    return static_cast<int>(v);
}

QColor ToQColor(uint32_t colour) { return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF); }

uint32_t FromQColor(const QColor& colour)
{
    return static_cast<uint32_t>(colour.red()) | (static_cast<uint32_t>(colour.green()) << 8) |
           (static_cast<uint32_t>(colour.blue()) << 16);
}

std::string DialogData::NumberRangeMessage(double lo, double hi)
{
    return FormatC("Please enter a number between %g and %g.", lo, hi);
}

std::string DialogData::IntegerRangeMessage(int lo, int hi)
{
    return FormatC("Please enter an integer between %d and %d.", lo, hi);
}

namespace {

// An edit's number: the one it was shown with while its text is unchanged, else the text's.
std::optional<double> EditDouble(const QLineEdit* edit)
{
    const std::optional<double> shown = ShownNumber(edit);
    return shown ? shown : ParseDouble(edit->text());
}

std::optional<float> EditFloat(const QLineEdit* edit)
{
    const std::optional<double> shown = ShownNumber(edit);
    return shown ? std::optional<float>(static_cast<float>(*shown)) : ParseFloat(edit->text());
}

} // namespace

bool DialogData::Fail(QLineEdit* edit, const std::string& message)
{
    ShowMessage(message);
    edit->setFocus();
    edit->selectAll();
    return false;
}

bool DialogData::Float(QLineEdit* edit, float& out)
{
    const std::optional<float> v = EditFloat(edit);
    if (!v)
        return Fail(edit, NumberMessage());
    out = *v;
    return true;
}

bool DialogData::Float(QLineEdit* edit, float& out, float lo, float hi)
{
    const std::optional<float> v = EditFloat(edit);
    if (!v || *v < lo || *v > hi)
        return Fail(edit, NumberRangeMessage(lo, hi));
    out = *v;
    return true;
}

bool DialogData::Double(QLineEdit* edit, double& out)
{
    const std::optional<double> v = EditDouble(edit);
    if (!v)
        return Fail(edit, NumberMessage());
    out = *v;
    return true;
}

bool DialogData::Double(QLineEdit* edit, double& out, double lo, double hi)
{
    const std::optional<double> v = EditDouble(edit);
    if (!v || *v < lo || *v > hi)
        return Fail(edit, NumberRangeMessage(lo, hi));
    out = *v;
    return true;
}

bool DialogData::Int(QLineEdit* edit, int& out)
{
    const std::optional<int> v = ParseInt(edit->text());
    if (!v)
        return Fail(edit, IntegerMessage());
    out = *v;
    return true;
}

bool DialogData::Int(QLineEdit* edit, int& out, int lo, int hi)
{
    const std::optional<int> v = ParseInt(edit->text());
    if (!v || *v < lo || *v > hi)
        return Fail(edit, IntegerRangeMessage(lo, hi));
    out = *v;
    return true;
}

} // namespace kv

// Reading and writing a dialog's values through its controls. Numbers are shown and read
// in the C numeric locale; on OK a dialog reads its controls through one DialogData, which
// stops at the first value that does not read or lies outside its range: it shows the
// range message, puts the focus back on that control, and the dialog stays open.
//
// Controls carry the numeric ids of the dialog templates they stand for (SetControlId), so
// that the geometry helpers and tests find them by id.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <string>

class QColor;
class QLineEdit;
class QWidget;

namespace kv {

void SetControlId(QWidget* control, int id);
int ControlId(const QWidget* control);
// The descendant of `window` with the id (null: none).
QWidget* FindControl(const QWidget* window, int id);

// A float or double as the dialogs show it: "%g" with the fewest digits (at least those the
// type holds) that read back as the same value; a double that needs more than 15 digits
// (the leftover of a conversion, such as -7010.400000000001) is shown with the fewest that
// read back as the same float.
QString FloatText(float value);
QString DoubleText(double value);

// Shows a number in an edit (DoubleText, or the text given) and remembers it: while the text
// stays as shown, reading the edit gives the number exactly, so a dialog's OK leaves an
// untouched value as it was.
void ShowNumber(QLineEdit* edit, double value);
void ShowNumber(QLineEdit* edit, double value, const QString& text);
// The remembered number while the edit's text is the one shown with it.
std::optional<double> ShownNumber(const QLineEdit* edit);

// The number a text holds, blanks around it allowed; empty when the text is not one whole
// finite number (so "nan", "inf" and "1e999" are no numbers), and for a float also when it
// lies beyond a float's range.
std::optional<double> ParseDouble(const QString& text);
std::optional<float> ParseFloat(const QString& text);
std::optional<int> ParseInt(const QString& text);

// Colours: 0x00BBGGRR to and from Qt.
QColor ToQColor(uint32_t colour);
uint32_t FromQColor(const QColor& colour);

class DialogData {
public:
    // Each returns false (after the message) when the control's text does not read or lies
    // outside lo..hi; `out` is written only when it returns true.
    bool Float(QLineEdit* edit, float& out);
    bool Float(QLineEdit* edit, float& out, float lo, float hi);
    bool Double(QLineEdit* edit, double& out);
    bool Double(QLineEdit* edit, double& out, double lo, double hi);
    bool Int(QLineEdit* edit, int& out);
    bool Int(QLineEdit* edit, int& out, int lo, int hi);

    // The texts of the messages.
    static std::string NumberMessage() { return "Please enter a number."; }
    static std::string IntegerMessage() { return "Please enter an integer."; }
    static std::string NumberRangeMessage(double lo, double hi);
    static std::string IntegerRangeMessage(int lo, int hi);

private:
    bool Fail(QLineEdit* edit, const std::string& message);
};

} // namespace kv

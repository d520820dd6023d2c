// Numbers in the tool panels and the tool settings dialog: shown and read in the C numeric
// locale; a text that is not one whole finite number ("nan", "inf", "1e999", "12abc") is
// refused.
#pragma once

#include <QString>

#include <optional>

class QLineEdit;
class QWidget;

namespace kv {

std::optional<double> ParsePanelNumber(const QString& text);
std::optional<int> ParsePanelInt(const QString& text);
QString PanelNumberText(double value);
QString PanelIntText(int value);
// A line edit named by its control id (objectName), in `parent`.
QLineEdit* MakePanelEdit(QWidget* parent, int id);

} // namespace kv

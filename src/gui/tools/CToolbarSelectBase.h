// The selection tools' option panel (template 341): feather 5134, style 5636, width 5571 and
// height 5264 (1..32767, enabled with their labels 5572 and 5265 only for a style other than
// the first).
#pragma once

#include "view/tools/ToolOptionsBar.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;

namespace kv {

class CToolbarSelectBase : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 341;
    static constexpr int kMinSide = 1, kMaxSide = 32767;

    CToolbarSelectBase(MouseTool& tool, QWidget* parent = nullptr);

    void SetStyles(const std::vector<std::string>& styles);
    void Show(const SelectFields& fields);
    // False (with the range message) when a field does not read or a side lies outside 1..32767.
    bool Read(SelectFields& fields) const;

private:
    void UpdateEnabled();

    MouseTool& m_tool;
    QLineEdit* m_feather = nullptr;
    QComboBox* m_style = nullptr;
    QLineEdit* m_width = nullptr;
    QLineEdit* m_height = nullptr;
    QLabel* m_widthLabel = nullptr;
    QLabel* m_heightLabel = nullptr;
};

} // namespace kv

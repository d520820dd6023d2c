// Windows whose texts read right from the first show:
// - a label never shows a literal '&': a label with a key letter ("&Width:") and no buddy
//   takes the control beside it in its layout as its buddy, or, with none there, drops the
//   key mark ("&&" stays one '&');
// - a dialog is at least as wide as its title (with room for the title bar's icon and
//   buttons) and as all its tabs, and every list heading fits its text.
#pragma once

#include <QObject>

class QLabel;
class QWidget;

namespace kv {

// Gives the label its buddy or drops its key mark, as above; true when anything changed.
bool SettleMnemonic(QLabel* label);
// Widens `window` and its heading columns as above; true when anything changed.
bool FitTexts(QWidget* window);

// Installed on the application: SettleMnemonic for each label as it shows, FitTexts for
// each dialog the first time it shows.
class WindowTextFitter : public QObject {
    Q_OBJECT
public:
    explicit WindowTextFitter(QObject* parent = nullptr);
    ~WindowTextFitter() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace kv

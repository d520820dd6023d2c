// The frame of the two modeless settings sheets: a tab per page, Apply Now and Help below.
// Pages fill their controls from the sheet's working data and read them back through
// three operations; a page whose window was never shown is neither refreshed nor read.
// Enter runs the current page's OK (which applies); Escape and the close box hide the sheet.
#pragma once

#include <QDialog>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class QLineEdit;
class QPushButton;
class QTabWidget;

namespace kv {

class CSettingsSheet;

class CSheetPage : public QWidget {
    Q_OBJECT
public:
    explicit CSheetPage(QWidget* parent = nullptr) : QWidget(parent) {}
    // Fill the controls from the sheet's working data.
    virtual void RefreshControls() {}
    // Copy the controls back into the working data; false when a value was refused (the
    // message was shown and the working data is as it was before the refused value).
    virtual bool ReadControls() { return true; }
    // Reset the working data the page shows to the program's defaults.
    virtual void SetDefaults() {}
    // Whether the page's window exists (it was shown at least once).
    bool HasWindow() const { return m_hasWindow; }
    // Asks the sheet to refresh every page.
    void NotifySheet();
    // Enter on the sheet while this page is current: applies the sheet.
    virtual void OnOK();

    // Called by the sheet when the page becomes or stops being the current tab.
    virtual void OnSetActive() { RefreshControls(); }
    virtual void OnKillActive() {}

protected:
    void showEvent(QShowEvent* event) override;
    CSettingsSheet* Sheet() const { return m_sheet; }

private:
    friend class CSettingsSheet;
    CSettingsSheet* m_sheet = nullptr;
    bool m_hasWindow = false;
};

class CSettingsSheet : public QDialog {
    Q_OBJECT
public:
    CSettingsSheet(const QString& caption, QWidget* parent);

    void AddPage(CSheetPage* page, const QString& title);
    int PageCount() const { return static_cast<int>(m_pages.size()); }
    CSheetPage* Page(int index) const { return m_pages[static_cast<size_t>(index)]; }
    QTabWidget* Tabs() const { return m_tabs; }
    QPushButton* ApplyButton() const { return m_apply; }
    QPushButton* HelpButton() const { return m_help; }

    // RefreshControls of every page with a window, in tab order.
    void RefreshPages();
    // ReadControls of every page with a window, in tab order; false at the first refusal.
    bool ReadPages();
    // Apply Now.
    virtual void ApplyChanges() = 0;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QTabWidget* m_tabs;
    QPushButton* m_apply;
    QPushButton* m_help;
    std::vector<CSheetPage*> m_pages;
    int m_current = -1;
    bool m_grown = false;
};

// Edit helpers of the pages: numbers shown as the dialogs show them ("%g" with `digits`
// significant digits) and read back with the range check of the dialog data exchange
// ("Please enter ..." and the edit takes focus); an untouched field reads back the very
// value it was shown with.
void SetEditNumber(QLineEdit* edit, double value, int digits = 6);
std::optional<double> ReadEditNumber(QLineEdit* edit, std::optional<double> low = {},
                                     std::optional<double> high = {});
std::optional<int> ReadEditInt(QLineEdit* edit, int low, int high);

} // namespace kv

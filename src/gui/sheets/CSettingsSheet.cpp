#include "gui/sheets/CSettingsSheet.h"

#include "base/MessageService.h"
#include "gui/controls/DialogData.h"
#include "platform/CLocale.h"
#include "view/WorldSettingsValues.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace kv {

namespace {
constexpr int kExtraHeight = 32;
}

void CSheetPage::NotifySheet()
{
    if (m_sheet != nullptr)
        m_sheet->RefreshPages();
}

void CSheetPage::OnOK()
{
    if (m_sheet != nullptr)
        m_sheet->ApplyChanges();
}

void CSheetPage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_hasWindow) {
        m_hasWindow = true;
        OnSetActive();
    }
}

CSettingsSheet::CSettingsSheet(const QString& caption, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(caption);
    setModal(false);
    setWindowFlag(Qt::WindowContextHelpButtonHint, true);
    m_tabs = new QTabWidget(this);
    m_apply = new QPushButton(tr("&Apply Now"), this);
    m_help = new QPushButton(tr("Help"), this);
    m_apply->setAutoDefault(false);
    m_help->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_apply);
    buttons->addWidget(m_help);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addLayout(buttons);
    connect(m_apply, &QPushButton::clicked, this, [this] { ApplyChanges(); });
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (m_current >= 0 && m_current < PageCount() && Page(m_current)->HasWindow())
            Page(m_current)->OnKillActive();
        m_current = index;
        if (index >= 0 && index < PageCount() && Page(index)->HasWindow())
            Page(index)->OnSetActive();
    });
}

void CSettingsSheet::AddPage(CSheetPage* page, const QString& title)
{
    page->m_sheet = this;
    m_pages.push_back(page);
    m_tabs->addTab(page, title);
    if (m_current < 0)
        m_current = 0;
}

void CSettingsSheet::RefreshPages()
{
    for (CSheetPage* page : m_pages)
        if (page->HasWindow())
            page->RefreshControls();
}

bool CSettingsSheet::ReadPages()
{
    for (CSheetPage* page : m_pages)
        if (page->HasWindow() && !page->ReadControls())
            return false;
    return true;
}

void CSettingsSheet::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_current >= 0 && m_current < PageCount() && Page(m_current)->HasWindow())
            Page(m_current)->OnOK();
        else
            ApplyChanges();
        return;
    case Qt::Key_Escape:
        hide();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CSettingsSheet::closeEvent(QCloseEvent* event)
{
    event->ignore();
    hide();
}

void CSettingsSheet::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_grown) {
        m_grown = true;
        resize(width(), height() + kExtraHeight);
    }
}

void SetEditNumber(QLineEdit* edit, double value, int digits)
{
    ShowNumber(edit, value, QString::fromStdString(FormatC("%.*g", digits, value)));
}

std::optional<double> ReadEditNumber(QLineEdit* edit, std::optional<double> low, std::optional<double> high)
{
    // An untouched field gives back the value it was shown with, to the last digit.
    const std::optional<double> shown = ShownNumber(edit);
    const auto value = shown ? shown : ParseEditNumber(edit->text().toStdString());
    // A field with a range answers text that is no number ("12abc") with its range.
    if (!value && !low && !high) {
        ShowMessage("Please enter a number.");
        edit->setFocus();
        return std::nullopt;
    }
    if (!value || (low && *value < *low) || (high && *value > *high)) {
        ShowMessage(FormatC("Please enter a number between %g and %g.", low.value_or(-HUGE_VAL),
                            high.value_or(HUGE_VAL)));
        edit->setFocus();
        return std::nullopt;
    }
    return value;
}

std::optional<int> ReadEditInt(QLineEdit* edit, int low, int high)
{
    const std::string text = edit->text().trimmed().toStdString();
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    // Text that is no whole number ("12abc") is answered with the field's range too.
    if (end == text.c_str() || *end != '\0' || errno == ERANGE || value < low || value > high) {
        ShowMessage(FormatC("Please enter an integer between %d and %d.", low, high));
        edit->setFocus();
        return std::nullopt;
    }
    return static_cast<int>(value);
}

} // namespace kv

#include "gui/controls/WindowTexts.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QBoxLayout>
#include <QDialog>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QVariant>

#include <algorithm>
#include <vector>

namespace kv {

namespace {

constexpr const char* kFittedProperty = "kvTextsFitted";

// Room a heading needs beside its text: the margins on both sides and a sort arrow.
int HeadingRoom(const QHeaderView& header)
{
    const int margin = header.style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, &header);
    const int arrow = header.isSortIndicatorShown() ? header.style()->pixelMetric(QStyle::PM_HeaderMarkSize) : 0;
    return 2 * margin + arrow + 4;
}

bool FitHeadings(QHeaderView& header)
{
    const QAbstractItemModel* model = header.model();
    if (!model || header.orientation() != Qt::Horizontal)
        return false;
    bool changed = false;
    const int count = header.count();
    for (int i = 0; i < count; ++i) {
        if (header.isSectionHidden(i) || header.sectionResizeMode(i) == QHeaderView::Stretch ||
            (header.stretchLastSection() && header.visualIndex(i) == count - 1))
            continue;
        const QString text = model->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString();
        const int needed = header.fontMetrics().horizontalAdvance(text) + HeadingRoom(header);
        if (header.sectionSize(i) < needed) {
            header.resizeSection(i, needed);
            changed = true;
        }
    }
    return changed;
}

// The control a label stands for: the one beside it (to its right, or next in its row or
// column) in the layout that holds it, when that control takes the focus.
QWidget* ControlBeside(const QLabel* label)
{
    const QWidget* parent = label->parentWidget();
    QLayout* top = parent ? parent->layout() : nullptr;
    if (!top)
        return nullptr;
    // The layout that holds the label, searched from the parent's own.
    std::vector<QLayout*> pending{top};
    while (!pending.empty()) {
        QLayout* layout = pending.back();
        pending.pop_back();
        const int index = layout->indexOf(const_cast<QLabel*>(label));
        if (index < 0) {
            for (int i = 0; i < layout->count(); ++i)
                if (QLayout* inner = layout->itemAt(i)->layout())
                    pending.push_back(inner);
            continue;
        }
        QWidget* beside = nullptr;
        if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
            int row = 0, column = 0, rows = 0, columns = 0;
            grid->getItemPosition(index, &row, &column, &rows, &columns);
            if (QLayoutItem* item = grid->itemAtPosition(row, column + columns))
                beside = item->widget();
        } else if (auto* form = qobject_cast<QFormLayout*>(layout)) {
            int row = 0;
            QFormLayout::ItemRole role;
            form->getItemPosition(index, &row, &role);
            if (QLayoutItem* item = form->itemAt(row, QFormLayout::FieldRole))
                beside = item->widget();
        } else if (index + 1 < layout->count()) {
            beside = layout->itemAt(index + 1)->widget();
        }
        return beside && beside->focusPolicy() != Qt::NoFocus ? beside : nullptr;
    }
    return nullptr;
}

// The text as a label without a buddy must hold it: key marks dropped, "&&" one '&'.
QString WithoutKeyMark(const QString& text)
{
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size())
            ++i;
        plain += text[i];
    }
    return plain;
}

} // namespace

bool SettleMnemonic(QLabel* label)
{
    const QString text = label->text();
    if (label->buddy() || !text.contains('&') || label->textFormat() == Qt::RichText ||
        (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(text)))
        return false;
    if (QWidget* control = ControlBeside(label)) {
        label->setBuddy(control);
        return true;
    }
    label->setText(WithoutKeyMark(text));
    return true;
}

bool FitTexts(QWidget* window)
{
    if (!window)
        return false;
    bool changed = false;
    for (QHeaderView* header : window->findChildren<QHeaderView*>())
        changed |= FitHeadings(*header);

    int width = window->width();
    // Every tab in sight: the tab widget grows by what its bar lacks.
    for (QTabWidget* tabs : window->findChildren<QTabWidget*>()) {
        const int lacking = tabs->tabBar()->sizeHint().width() + 8 - tabs->width();
        if (lacking > 0 && tabs->isVisibleTo(window))
            width = std::max(width, window->width() + lacking);
    }
    // The title with the title bar's icon and buttons.
    if (window->isWindow()) {
        QFont titleFont = QApplication::font("QMdiSubWindowTitleBar");
        titleFont.setBold(true);
        const int bar = window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
        const int title = QFontMetrics(titleFont).horizontalAdvance(window->windowTitle()) + 4 * std::max(bar, 18) + 16;
        width = std::max(width, title);
    }
    width = std::min(width, std::max(window->maximumWidth(), window->width()));
    if (width > window->width()) {
        window->resize(width, window->height());
        changed = true;
    }
    return changed;
}

WindowTextFitter::WindowTextFitter(QObject* parent) : QObject(parent)
{
    if (qApp)
        qApp->installEventFilter(this);
}

WindowTextFitter::~WindowTextFitter()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

bool WindowTextFitter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Show)
        return false;
    if (auto* label = qobject_cast<QLabel*>(watched)) {
        SettleMnemonic(label);
        return false;
    }
    auto* dialog = qobject_cast<QDialog*>(watched);
    if (!dialog || dialog->property(kFittedProperty).toBool())
        return false;
    dialog->setProperty(kFittedProperty, true);
    FitTexts(dialog);
    return false;
}

} // namespace kv

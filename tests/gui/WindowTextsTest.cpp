// The texts of every window the program shows: no label shows a literal '&'.
#include "AppFixtures.h"

#include "gui/commands/CommandTable.h"
#include "gui/controls/DialogData.h"
#include "gui/controls/WindowTexts.h"
#include "gui/frame/CMainFrame.h"
#include "gui/sheets/CWorldEditSheet.h"

#include <QApplication>
#include <QDialog>
#include <QDockWidget>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QSpinBox>
#include <QHeaderView>
#include <QLabel>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace kv;
using kvtest::RunningApp;
using kvtest::ScratchProfile;

namespace {

// A label shows its text as it stands unless it has a buddy; with one, "&x" marks the key
// and "&&" shows one '&'. A '&' shown against the next letter is a key mark left over (one
// between blanks, as in "Rock & Roll", is the text's own).
bool ShowsAmpersand(const QLabel& label)
{
    QString text = label.text();
    if (label.textFormat() == Qt::RichText || Qt::mightBeRichText(text))
        return false;
    if (label.buddy())
        text = text.replace(QStringLiteral("&&"), QStringLiteral("& ")).remove(QRegularExpression("&(?=\\S)"));
    return text.contains(QRegularExpression("&\\S"));
}

// Every visible label of a window that shows a '&', named with the window's title.
void Inspect(const QWidget* window, std::set<std::string>& faults)
{
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        if (label->isVisible() && ShowsAmpersand(*label))
            faults.insert(window->windowTitle().toStdString() + ": " + label->text().toStdString());
    }
}

} // namespace

TEST(WindowTexts, NoDialogOrBarShowsALoneAmpersand)
{
    ScratchProfile scratch;
    RunningApp run(scratch);
    ASSERT_TRUE(run.started);
    CMainFrame* frame = run.app.MainFrame();
    std::set<std::string> faults;

    // The bars, all shown.
    for (QDockWidget* dock : frame->findChildren<QDockWidget*>())
        dock->show();
    for (QToolBar* bar : frame->findChildren<QToolBar*>())
        bar->show();
    QCoreApplication::processEvents();
    Inspect(frame, faults);
    for (QDockWidget* dock : frame->findChildren<QDockWidget*>())
        Inspect(dock, faults);

    // Every command: each modal dialog it opens is read and cancelled, each window it leaves
    // open is read.
    int dialogs = 0;
    QTimer answer;
    answer.setInterval(5);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            ++dialogs;
            Inspect(dialog, faults);
            dialog->reject();
        }
    });
    answer.start();
    // Leaving, help and the closing buttons are no windows of their own.
    const std::set<int> skipped = {57665, 5573, 5574, 57670, 57667, 57671, 57669, 9};
    for (const CommandDef& row : CommandRows()) {
        if (row.id == 0 || skipped.count(row.id))
            continue;
        run.app.Router().Execute(row.id);
        QCoreApplication::processEvents();
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->isVisible())
                Inspect(window, faults);
        }
    }
    EXPECT_GT(dialogs, 20);
    std::string all;
    for (const std::string& f : faults)
        all += f + "\n";
    EXPECT_TRUE(faults.empty()) << all;
}

TEST(WindowTexts, TitlesTabsAndHeadingsFitAtTheFirstShow)
{
    TestApp();
    QDialog dialog;
    dialog.setWindowTitle("A Rather Long Title For So Small A Dialog");
    auto* list = new QTreeWidget(&dialog);
    list->setHeaderLabels({"#", "Projection", "Scale"});
    list->header()->setStretchLastSection(true);
    list->setColumnWidth(0, 30);
    list->setColumnWidth(1, 12);
    auto* tabs = new QTabWidget(&dialog);
    for (const char* name : {"Selection", "Primary", "Secondary", "Editing", "Fractal Function", "Temperature",
                             "Rainfall"})
        tabs->addTab(new QWidget, name);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(list);
    layout->addWidget(tabs);
    dialog.resize(120, 200);
    dialog.show();
    QCoreApplication::processEvents();
    ASSERT_TRUE(FitTexts(&dialog));
    QCoreApplication::processEvents();
    const QFontMetrics heading = list->header()->fontMetrics();
    EXPECT_GE(list->columnWidth(0), heading.horizontalAdvance("#"));
    EXPECT_GE(list->columnWidth(1), heading.horizontalAdvance("Projection"));
    EXPECT_GE(dialog.width(), dialog.fontMetrics().horizontalAdvance(dialog.windowTitle()));
    EXPECT_GE(tabs->width(), tabs->tabBar()->sizeHint().width());
    // Already fitting: nothing more to do.
    EXPECT_FALSE(FitTexts(&dialog));
}

TEST(WindowTexts, TheWorldSettingsSheetShowsAllItsTabs)
{
    ScratchProfile scratch;
    RunningApp run(scratch);
    ASSERT_TRUE(run.started);
    CMainFrame* frame = run.app.MainFrame();
    frame->ToggleWorldSettings();
    QWidget* sheet = frame->WorldSettingsSheet();
    ASSERT_NE(sheet, nullptr);
    QCoreApplication::processEvents();
    auto* tabs = sheet->findChild<QTabWidget*>();
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->count(), 7);
    EXPECT_GE(tabs->width(), tabs->tabBar()->sizeHint().width());
    frame->ToggleWorldSettings();
}

TEST(WindowTexts, AKeyLetterFindsItsControlOrIsDropped)
{
    TestApp();
    QWidget window;
    auto* grid = new QGridLayout(&window);
    auto* width = new QLabel("&Width:");
    auto* edit = new QLineEdit;
    auto* alone = new QLabel("&Lonely Note");
    auto* both = new QLabel("Rock && Roll");
    auto* beforeText = new QLabel("&Above:");
    auto* note = new QLabel("a note, no control");
    grid->addWidget(width, 0, 0);
    grid->addWidget(edit, 0, 1);
    grid->addWidget(alone, 1, 0);
    grid->addWidget(both, 2, 0);
    grid->addWidget(beforeText, 3, 0);
    grid->addWidget(note, 3, 1);
    auto* row = new QHBoxLayout;
    auto* spinLabel = new QLabel("&Count");
    auto* spin = new QSpinBox;
    row->addWidget(spinLabel);
    row->addWidget(spin);
    grid->addLayout(row, 4, 0, 1, 2);

    EXPECT_TRUE(SettleMnemonic(width));
    EXPECT_EQ(width->buddy(), edit);
    EXPECT_EQ(width->text(), "&Width:");
    EXPECT_TRUE(SettleMnemonic(spinLabel));
    EXPECT_EQ(spinLabel->buddy(), spin);
    EXPECT_TRUE(SettleMnemonic(alone));
    EXPECT_EQ(alone->text(), "Lonely Note");
    EXPECT_TRUE(SettleMnemonic(both));
    EXPECT_EQ(both->text(), "Rock & Roll");
    EXPECT_TRUE(SettleMnemonic(beforeText)); // a label beside it takes no focus
    EXPECT_EQ(beforeText->text(), "Above:");
    EXPECT_FALSE(SettleMnemonic(note));
    EXPECT_FALSE(SettleMnemonic(width)); // settled once
}

TEST(WindowTexts, NumbersShowTheirOwnDigitsAndUntouchedFieldsReadBackExactly)
{
    TestApp();
    struct Case {
        double value;
        const char* shown;
    };
    const Case cases[] = {
        {-7010.400000000001, "-7010.4"},           // -7010400 thousandths x 0.001
        {304800.00376701355, "304800"},            // a default altitude in feet
        {static_cast<double>(0.3f), "0.3"},        // a float shown through a double
        {0.1, "0.1"},
        {123456789.0, "123456789"},
        {40075.0166855785, "40075.0166855785"},    // 15 digits read back exactly
        {40075.016685578485, "40075.016"},         // 17 digits needed: a float's
        {-90.0, "-90"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DoubleText(c.value).toStdString(), c.shown) << c.value;

    QLineEdit edit;
    DialogData data;
    double read = 0.0;
    ShowNumber(&edit, -7010.400000000001);
    EXPECT_EQ(edit.text(), "-7010.4");
    ASSERT_TRUE(data.Double(&edit, read));
    EXPECT_EQ(read, -7010.400000000001); // untouched: the value as it was
    float single = 0.0f;
    ASSERT_TRUE(data.Float(&edit, single));
    EXPECT_EQ(single, static_cast<float>(-7010.400000000001));
    edit.setText("-7010.5");
    ASSERT_TRUE(data.Double(&edit, read));
    EXPECT_EQ(read, -7010.5);
    edit.setText("-7010.4"); // the shown text again: the value it was shown for
    ASSERT_TRUE(data.Double(&edit, read));
    EXPECT_EQ(read, -7010.400000000001);
}

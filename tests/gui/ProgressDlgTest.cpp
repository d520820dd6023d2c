// The progress dialogs: percent texts, the two-bar dialog's hooks, and Cancel reaching a
// running loop.
#include "base/Progress.h"
#include "gui/progress/CProgressDlg.h"

#include "QtTestApp.h"

#include <QMainWindow>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using namespace kv;

TEST(ProgressDlg, PercentTexts)
{
    EXPECT_EQ(ProgressPercentText(0, 100, 100), "100%");
    EXPECT_EQ(ProgressPercentText(0, 100, 37), "37%");
    EXPECT_EQ(ProgressPercentText(50, 150, 100), "50%");
    EXPECT_EQ(ProgressPercentText(0, 100, 150), "50%");  // modulo 100 past the end
    EXPECT_EQ(ProgressPercentText(20, 20, 20), "0%");    // equal bounds
}

TEST(ProgressDlg, QueuedCancelStopsALoopAndEnablesTheOwner)
{
    TestApp();
    QMainWindow owner;
    owner.show();
    SetProgressHooks(DefaultProgressHooks());
    InstallProgressWindows(&owner);
    g_abortValue = 0;
    // The loop of a long operation: begin, steps and polls; Cancel is pressed from the
    // event queue while it runs.
    int result = 0;
    QWidget* dialog = nullptr;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<CProgressDlg*>(w); d && d->isVisible()) {
                dialog = d;
                d->CancelButton()->click();
            }
    });
    ProgressBeginHook("Working", 1);
    EXPECT_FALSE(owner.isEnabled());
    for (int i = 0; i < 100000; ++i) {
        ProgressStepHook(i, 100000);
        ProgressPollHook();
        if (AbortRequested()) {
            result = -1;
            break;
        }
    }
    ProgressEndHook();
    EXPECT_EQ(result, -1);
    EXPECT_NE(dialog, nullptr);
    EXPECT_TRUE(owner.isEnabled());
    g_abortValue = 0;
    RemoveProgressWindows();
}

namespace {
int g_foreignSteps = 0;
void ForeignBegin(const char*, int) {}
void ForeignEnd() {}
int ForeignStep(double, double) { return ++g_foreignSteps; }
int ForeignPoll() { return 0; }
} // namespace

TEST(ProgressMultiDlg, InnerProgressLandsInTheLowerBarAndHooksComeBack)
{
    TestApp();
    const ProgressHooks foreign{ForeignBegin, ForeignEnd, ForeignStep, ForeignPoll};
    const ProgressHooks previous = SetProgressHooks(foreign);
    {
        CProgressMultiDlg dlg;
        ASSERT_EQ(dlg.Begin(), 1);
        EXPECT_EQ(CProgressMultiDlg::Open(), &dlg);
        ProgressBeginHook("Inner step", 25);
        EXPECT_EQ(dlg.StepText(), "Inner step");
        int moves = 0;
        int last = dlg.Position();
        for (int i = 0; i <= 100; ++i) {
            ProgressStepHook(i, 100);
            if (dlg.Position() != last) {
                ++moves;
                last = dlg.Position();
                EXPECT_EQ(last % 25, 0);
            }
        }
        EXPECT_EQ(moves, 4); // 25, 50, 75, 100 (0 is where it starts)
        // The same truncated percent twice updates nothing.
        dlg.SetPos(3);
        ProgressStepHook(50.2, 100);
        ProgressStepHook(50.7, 100);
        EXPECT_EQ(dlg.Position(), 50);
        ProgressBeginHook("Zero", 0);
        ProgressStepHook(10, 100);
        EXPECT_EQ(dlg.Position(), 10); // granularity 0 means 10
        dlg.SetTotalPos(40);
        EXPECT_EQ(dlg.TotalPosition(), 40);
        EXPECT_EQ(dlg.TotalPercentText(), "40 %");
        // Cancel: once for the button, then as long as the abort value stays.
        dlg.CancelButton()->click();
        EXPECT_EQ(dlg.PollCancel(), 1);
        EXPECT_EQ(dlg.PollCancel(), 1);
        g_abortValue = 0;
        EXPECT_EQ(dlg.PollCancel(), 0);
        dlg.End();
    }
    EXPECT_EQ(CProgressMultiDlg::Open(), nullptr);
    EXPECT_EQ(GetProgressHooks().step, &ForeignStep);
    EXPECT_EQ(GetProgressHooks().begin, &ForeignBegin);
    SetProgressHooks(previous);
}

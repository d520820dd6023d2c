// The bombardment in the window: one two-bar progress dialog for the whole run, painted,
// whose Cancel stops the run after the crater being drawn.
#include "DocumentFixtures.h"
#include "QtTestApp.h"

#include "base/Progress.h"
#include "base/Undo.h"
#include "document/CKVDoc.h"
#include "document/DocumentServices.h"
#include "document/StepProgress.h"
#include "gui/exchange/CMultiImageWindow.h"
#include "gui/progress/CProgressDlg.h"

#include <QApplication>
#include <QEvent>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <set>

using namespace kv;

namespace {

// Notes every progress dialog shown and every one painted while it is installed.
struct DialogWatch : QObject {
    DialogWatch() { qApp->installEventFilter(this); }
    ~DialogWatch() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (auto* dialog = qobject_cast<CProgressDlg*>(object)) {
            if (event->type() == QEvent::Show) {
                ++shown;
                twoBars += qobject_cast<CProgressMultiDlg*>(dialog) != nullptr;
                withCancel += dialog->CancelButton() != nullptr && dialog->CancelButton()->isVisible();
            }
            if (event->type() == QEvent::Paint)
                painted.insert(dialog);
        }
        return false;
    }
    int shown = 0, twoBars = 0, withCancel = 0;
    std::set<QObject*> painted;
};

class BombardmentWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        TestApp();
        m_hooks = SetProgressHooks(DefaultProgressHooks());
        InstallProgressWindows(nullptr);
        m_step = SetStepProgress(nullptr);
        InstallAtlasServices();
        GetUndoList().Clear();
        doc.GetWorld().SetResolution(2, false);
        doc.Recalculate();
        settings.count = 40;
        settings.sizeExponent = 1.0;
    }
    void TearDown() override
    {
        RemoveProgressWindows();
        SetStepProgress(m_step);
        SetProgressHooks(m_hooks);
        GetUndoList().Clear();
        g_abortValue = 0;
    }

    DocumentEnvironment env;
    CKVDoc doc;
    BombardmentSettings settings;
    ProgressHooks m_hooks{};
    StepProgress* m_step = nullptr;
};

} // namespace

TEST_F(BombardmentWindow, OneTwoBarDialogForTheWholeRun)
{
    DialogWatch watch;
    EXPECT_EQ(doc.RunBombardment(settings), 40);
    EXPECT_EQ(watch.shown, 1);
    EXPECT_EQ(watch.twoBars, 1);
    EXPECT_EQ(watch.withCancel, 1);
    EXPECT_EQ(watch.painted.size(), 1u);
    EXPECT_EQ(CProgressMultiDlg::Open(), nullptr);
}

TEST_F(BombardmentWindow, CancelStopsTheRunAndKeepsTheCratersDrawn)
{
    bool clicked = false;
    QTimer::singleShot(0, [&] {
        if (CProgressMultiDlg* dialog = CProgressMultiDlg::Open(); dialog && dialog->isVisible()) {
            dialog->CancelButton()->click();
            clicked = true;
        }
    });
    const int drawn = doc.RunBombardment(settings);
    EXPECT_TRUE(clicked);
    EXPECT_GE(drawn, 1);
    EXPECT_LT(drawn, 40);
    EXPECT_EQ(GetUndoList().GetUndoDescription(), "Crater Bombardment");
    EXPECT_EQ(CProgressMultiDlg::Open(), nullptr);
}

#include "gui/dialogs/CMapProjectionDlg.h"

#include "projection/MapProject.h"
#include "projection/ProjectionRegistry.h"

#include "QtTestApp.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using namespace kv;

TEST(CMapProjectionDlg, EditsDragsFitAndList)
{
    TestApp();
    CMapProjectionDlg dlg;
    dlg.parms.SetScale(2.0);
    dlg.Open();
    EXPECT_EQ(dlg.Timer()->interval(), 100);
    EXPECT_TRUE(dlg.Timer()->isActive());
    EXPECT_GT(dlg.ProjectionList()->count(), 1);
    EXPECT_EQ(dlg.ProjectionList()->currentItem()->data(Qt::UserRole).toInt(), dlg.parms.GetProjectionId());
    EXPECT_EQ(dlg.Edit(4)->text(), "2.0000");
    EXPECT_EQ(dlg.Preview().Image().GetWidth(), CMapProjectionDlg::kPreviewWidth);

    // Typing re-centres and rewrites the other six, not the edit typed in.
    dlg.Edit(0)->setText("12.5");
    double lat = 0, lon = 0;
    dlg.parms.GetCenter(lat, lon);
    EXPECT_EQ(lat, 12.5);
    EXPECT_EQ(dlg.Edit(0)->text(), "12.5");
    EXPECT_EQ(dlg.Edit(1)->text(), "0.00000");
    EXPECT_EQ(dlg.Edit(4)->text(), "2.00000");
    for (const char* bad : {"nan", "inf", "1e999", "", "abc"}) {
        dlg.Edit(0)->setText(bad);
        dlg.parms.GetCenter(lat, lon);
        EXPECT_EQ(lat, 12.5) << bad;
    }
    dlg.Edit(4)->setText("0");
    EXPECT_EQ(dlg.parms.GetScale(), 2.0);
    dlg.Edit(4)->setText("-3");
    EXPECT_EQ(dlg.parms.GetScale(), 2.0);

    // Offset drag: dx = scale x pixels / smaller side, offset + 2 dx.
    const int unit = dlg.Preview().SmallerSide();
    const double startX = dlg.WorkingValue(2);
    dlg.BeginDrag(10, 10);
    dlg.DragTo(10 + unit / 4, 10);
    EXPECT_NEAR(dlg.WorkingValue(2), startX + 2.0 * 0.25 * 2.0, 1e-9);
    dlg.EndDrag(true);  // Shift: back to the start
    EXPECT_EQ(dlg.WorkingValue(2), startX);
    dlg.CentreModeCheck()->setChecked(true);
    dlg.BeginDrag(0, 0);
    dlg.DragTo(0, unit / 10);
    EXPECT_NEAR(dlg.WorkingValue(0), 12.5 + 2.0 * 0.1 * 180.0, 1e-9);
    dlg.EndDrag(false);
    dlg.parms.GetCenter(lat, lon);
    EXPECT_NEAR(lat, 48.5, 1e-9);

    dlg.OnZoomIn();
    EXPECT_EQ(dlg.parms.GetScale(), 1.0);
    dlg.OnZoomOut();
    dlg.OnZoomOut();
    EXPECT_EQ(dlg.parms.GetScale(), 4.0);
    dlg.OnFit();
    double x = 0, y = 0;
    dlg.parms.GetOffset(x, y);
    dlg.parms.GetCenter(lat, lon);
    EXPECT_EQ(dlg.parms.GetScale(), 1.0);
    EXPECT_NEAR(x, 0.00001, 1e-12);
    EXPECT_EQ(y, 0.0);
    EXPECT_EQ(lat, 0.0);
    EXPECT_EQ(lon, 0.0);

    // Choosing a projection takes it and its texts.
    for (int row = 0; row < dlg.ProjectionList()->count(); ++row) {
        const int id = dlg.ProjectionList()->item(row)->data(Qt::UserRole).toInt();
        dlg.ProjectionList()->setCurrentRow(row);
        EXPECT_EQ(dlg.parms.GetProjectionId(), id);
        const bool conic = (dlg.parms.GetProjectionFlags() & kProjConic) != 0;
        EXPECT_EQ(dlg.Edit(5)->isEnabled(), conic) << id;
        EXPECT_EQ(dlg.TypeText()->text().toStdString(), DescribeProjectionFlags(dlg.parms.GetProjectionFlags()));
    }
    dlg.reject();
    EXPECT_FALSE(dlg.Timer()->isActive());
}

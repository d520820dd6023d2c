// The palette picker: its grid, the read-outs under the mouse, the selection, and the colour
// the model's pickers get through it.
#include "gui/dialogs/CColorPickerDlg.h"
#include "gui/dialogs/WindowDialogs.h"

#include "DialogDriver.h"
#include "base/color/CColorList.h"

#include <QApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

using namespace kv;

namespace {

void Mouse(QWidget* w, QEvent::Type type, int x, int y)
{
    QMouseEvent event(type, QPointF(x, y), w->mapToGlobal(QPointF(x, y)), Qt::LeftButton,
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

} // namespace

TEST(CColorPickerDlg, EveryCellShowsItsOwnColourOverItsFourteenPixels)
{
    TestApp();
    CColorPickerDlg dlg;
    dlg.show();
    ASSERT_EQ(dlg.Grid()->width(), 224);
    EXPECT_EQ(dlg.CellWidth(), 14);
    EXPECT_EQ(dlg.CellHeight(), 14);
    const VideoBuffer& grid = dlg.GridImage();
    ASSERT_EQ(grid.GetWidth(), 224);
    for (int index = 0; index < 256; ++index) {
        const int x0 = (index % 16) * 14, y0 = (index / 16) * 14;
        for (int dx : {0, 13})
            for (int dy : {0, 13})
                ASSERT_EQ(grid.GetPixel(x0 + dx, y0 + dy) & 0xFFFFFFu, PaletteColor(index)) << index;
    }
}

TEST(CColorPickerDlg, MouseReadsOutTheCellAndAClickSelectsIt)
{
    TestApp();
    CColorPickerDlg dlg;
    dlg.selected = 5;
    dlg.show();
    EXPECT_EQ(dlg.SelectedText(0), "5");
    const PaletteRGB five = PW2Palette[5];
    EXPECT_EQ(dlg.SelectedText(1), QString::number(five.r));
    EXPECT_EQ(dlg.SwatchImage().GetPixel(0, 0) & 0xFFFFFFu, PaletteColor(5));

    // Column 3, row 2: entry 35.
    Mouse(dlg.Grid(), QEvent::MouseMove, 3 * 14 + 1, 2 * 14 + 13);
    const PaletteRGB p = PW2Palette[35];
    EXPECT_EQ(dlg.HoverText(0), "35");
    EXPECT_EQ(dlg.HoverText(1), QString::number(p.r));
    EXPECT_EQ(dlg.HoverText(2), QString::number(p.g));
    EXPECT_EQ(dlg.HoverText(3), QString::number(p.b));
    Mouse(dlg.Grid(), QEvent::MouseButtonPress, 3 * 14 + 1, 2 * 14 + 13);
    EXPECT_EQ(dlg.selected, 35);
    EXPECT_EQ(dlg.SelectedText(0), "35");
    EXPECT_EQ(dlg.SwatchImage().GetPixel(1, 1) & 0xFFFFFFu, PaletteColor(35));

    // Off the grid all four texts are emptied and a click changes nothing.
    dlg.OnGridMove(-1, 10);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(dlg.HoverText(i).isEmpty()) << i;
    dlg.OnGridClick(224, 5);
    EXPECT_EQ(dlg.selected, 35);
}

TEST(CColorPickerDlg, ModelPickersGetTheClickedOrTheNearestPaletteColour)
{
    TestApp();
    InstallWindowDialogs();
    // Clicked: entry 200.
    {
        ModalAnswerer answer([](QDialog* d) {
            auto* dlg = dynamic_cast<CColorPickerDlg*>(d);
            ASSERT_NE(dlg, nullptr);
            dlg->OnGridClick((200 % 16) * 14 + 7, (200 / 16) * 14 + 7);
            dlg->accept();
        });
        uint32_t colour = ColorOf(1, 2, 3);
        EXPECT_EQ(PickColorByShift(colour), 1);
        EXPECT_EQ(colour, PaletteColor(200));
    }
    // OK without a click: the nearest palette colour, not the one the caller had.
    {
        const uint32_t start = ColorOf(250, 250, 250);
        ASSERT_EQ(FindPaletteIndex(start), -1);
        ModalAnswerer answer([](QDialog* d) { d->accept(); });
        uint32_t colour = start;
        EXPECT_EQ(PickColorByShift(colour), 1);
        EXPECT_EQ(colour, PaletteColor(FindNearestPaletteIndex(start)));
        EXPECT_NE(colour, 0u);
    }
    // Cancel leaves the colour.
    {
        ModalAnswerer answer([](QDialog* d) { d->reject(); });
        uint32_t colour = ColorOf(9, 9, 9);
        EXPECT_EQ(PickColorByShift(colour), 0);
        EXPECT_EQ(colour, ColorOf(9, 9, 9));
    }
}

// "PW2 Color Picker": one of the 256 colours of the drawing palette, picked from a 16 x 16
// grid. The caller sets the selected index, runs the dialog and on OK takes the palette
// colour of the selection. Also the colour chooser the model's pickers go through: the
// palette picker, or with Shift held the system colour dialog.
#pragma once

#include "base/color/ColorChooser.h"
#include "base/raster/VideoBuffer.h"

#include <QDialog>

class QLabel;

namespace kv {

class CColorPickerDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 131633;
    static constexpr int kGridPixels = 224; // the grid control, 149 x 138 dialog units

    explicit CColorPickerDlg(QWidget* parent = nullptr);

    int selected = 0;

    int CellWidth() const { return m_cellWidth; }
    int CellHeight() const { return m_cellHeight; }
    QWidget* Grid() const { return m_grid; }
    QWidget* Swatch() const { return m_swatch; }
    const VideoBuffer& GridImage() const { return m_gridImage; }
    const VideoBuffer& SwatchImage() const { return m_swatchImage; }
    // The "Color:" index and R, G, B texts under the mouse, and the selection's.
    QString HoverText(int which) const; // 0 index, 1 red, 2 green, 3 blue
    QString SelectedText(int which) const;

    // Mouse over and clicks on the grid, in grid pixels.
    void OnGridMove(int x, int y);
    void OnGridClick(int x, int y);

    // The colour of an index as the caller takes it: 0 above 255.
    static uint32_t ColorOfIndex(int index);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Init();
    void ShowSelection();
    bool CellAt(int x, int y, int& index) const;

    QWidget* m_grid;
    QWidget* m_swatch;
    QLabel* m_hover[4];
    QLabel* m_selected[4];
    VideoBuffer m_gridImage;
    VideoBuffer m_swatchImage;
    int m_cellWidth = 1;
    int m_cellHeight = 1;
    bool m_initialised = false;
};

// The colour chooser of the window side: the palette picker and QColorDialog, Shift read
// from the keyboard.
class WindowColorChooser : public ColorChooser {
public:
    bool PickSystemColor(uint32_t& colour) override;
    bool PickPaletteIndex(int& index) override;
    bool IsShiftHeld() override;
};

} // namespace kv

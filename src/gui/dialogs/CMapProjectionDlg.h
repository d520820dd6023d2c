// "Map Projection": edits a copy of a view's projection parameters with a live preview of
// the world in the chosen projection (a pass every 100 ms, nine passes).
#pragma once

#include "projection/ProjectionParms.h"
#include "view/ProjectionPreview.h"

#include <QDialog>

#include <array>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;

namespace kv {

class LightParms;
class SurfMap;

class CMapProjectionDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kPreviewWidth = 200;
    static constexpr int kPreviewHeight = 100;

    explicit CMapProjectionDlg(QWidget* parent = nullptr);

    // Set before exec / Open; read after OK.
    ProjectionParms parms;
    void SetSource(SurfMap* world, const LightParms* light);

    // Opening: working values, preview image, projection list, texts, the timer.
    void Open();
    void Apply();
    void RefreshTexts();
    // An edit's text changed (index: lat, lon, x ofs, y ofs, scale, conic lat0, lat1).
    void OnEditChanged(int index);
    void OnProjectionSelected(int row);
    void OnZoomIn();
    void OnZoomOut();
    void OnFit();
    // Preview drags in preview pixels.
    void BeginDrag(int x, int y);
    void DragTo(int x, int y);
    void EndDrag(bool shiftHeld);
    // One timer tick.
    void OnTick();

    int exec() override;

    QLineEdit* Edit(int index) const { return m_edits[static_cast<std::size_t>(index)]; }
    QListWidget* ProjectionList() const { return m_list; }
    QPushButton* CentreModeCheck() const { return m_centreMode; }
    QLabel* TypeText() const { return m_type; }
    QLabel* DescriptionText() const { return m_description; }
    const ProjectionPreview& Preview() const { return m_preview; }
    QTimer* Timer() const { return m_timer; }
    double WorkingValue(int index) const { return m_values[static_cast<std::size_t>(index)]; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void done(int result) override;

private:
    void RewriteEdits(int except);

    std::array<double, 7> m_values{};
    std::array<QLineEdit*, 7> m_edits{};
    std::array<QLabel*, 2> m_conicLabels{};
    QListWidget* m_list;
    QPushButton* m_centreMode;
    QLabel* m_type;
    QLabel* m_description;
    QLabel* m_previewFrame;
    QTimer* m_timer;
    ProjectionPreview m_preview;
    bool m_inEdit = false;
    bool m_inTick = false;
    bool m_dragging = false;
    int m_startX = 0, m_startY = 0;
    std::array<double, 4> m_dragStart{};  // lat, lon, x offset, y offset
};

} // namespace kv

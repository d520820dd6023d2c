// The Globe Tools bar's window: paints the globe model's image at its rectangle, forwards
// the mouse to the model, shows the model's cursor, and holds the Quit, Cancel (hidden)
// and Help buttons, whose commands go to the view through the command routing.
#pragma once

#include "view/CGlobeDlgBar.h"

#include <QWidget>

class QPushButton;

namespace kv {

class CommandActions;

class GlobeBarWidget : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 100, kHeight = 180;

    GlobeBarWidget(CommandActions& actions, QWidget* parent = nullptr);

    CGlobeDlgBar& Model() { return m_model; }
    // One refinement pass when the picture is not complete; repaints. True when it drew.
    bool RenderStep();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

private:
    void ApplyCursor();

    CGlobeDlgBar m_model;
};

} // namespace kv

// The about box (template 546), the splash window and the version texts they show.
#pragma once

#include <QDialog>
#include <QSplashScreen>

class QLabel;

namespace kv {

// "Version %d.%d" from the packed product version's first two bytes, or all four bytes
// ("Version %d.%d.%d.%d") while Shift is held.
QString AboutVersionText(int packedVersion, bool shiftHeld);
// The program's file version as "%d.%2.2d.%2.2d.%2.2d", or "Unknown" for no version (-1).
QString FileVersionString(int packedVersion);

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kProductName = "Kelvane Pro";
    CAboutDlg(int packedVersion, bool shiftHeld, QWidget* parent = nullptr);
    QString VersionText() const;

private:
    QLabel* m_version;
};

// The program's picture (splash and about box), drawn here.
QPixmap ProgramPicture(int width, int height);

// The splash window: a pop-up the size of its picture, centred, closed by a click.
class CSplashWnd : public QSplashScreen {
    Q_OBJECT
public:
    static constexpr int kWidth = 360, kHeight = 220;
    // `owner`: the main window, which the splash stays above.
    explicit CSplashWnd(QWidget* owner = nullptr);
    void Hide();
};

} // namespace kv

#include "gui/dialogs/CAboutDlg.h"

#include "gui/controls/DialogParts.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QRadialGradient>
#include <QVBoxLayout>

namespace kv {

namespace {

int Byte(int packed, int index) { return (static_cast<unsigned>(packed) >> (24 - 8 * index)) & 0xFF; }

} // namespace

QString AboutVersionText(int packed, bool shiftHeld)
{
    if (shiftHeld)
        return QString::asprintf("Version %d.%d.%d.%d", Byte(packed, 0), Byte(packed, 1), Byte(packed, 2),
                                 Byte(packed, 3));
    return QString::asprintf("Version %d.%d", Byte(packed, 0), Byte(packed, 1));
}

QString FileVersionString(int packed)
{
    if (packed == -1)
        return QStringLiteral("Unknown");
    return QString::asprintf("%d.%2.2d.%2.2d.%2.2d", Byte(packed, 0), Byte(packed, 1), Byte(packed, 2),
                             Byte(packed, 3));
}

QPixmap ProgramPicture(int width, int height)
{
    QPixmap pixmap(width, height);
    pixmap.fill(QColor(8, 12, 32));
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const int d = std::min(width, height) * 3 / 4;
    const QRectF globe(width - d - height / 8.0, (height - d) / 2.0, d, d);
    QRadialGradient sea(globe.center() - QPointF(d / 5.0, d / 5.0), d * 0.7);
    sea.setColorAt(0.0, QColor(90, 150, 230));
    sea.setColorAt(1.0, QColor(10, 30, 90));
    p.setBrush(sea);
    p.setPen(Qt::NoPen);
    p.drawEllipse(globe);
    p.setBrush(QColor(70, 140, 60));
    p.drawEllipse(QRectF(globe.left() + d * 0.2, globe.top() + d * 0.25, d * 0.35, d * 0.25));
    p.drawEllipse(QRectF(globe.left() + d * 0.5, globe.top() + d * 0.55, d * 0.3, d * 0.2));
    p.setPen(Qt::white);
    p.setFont(QFont(QStringLiteral("Sans"), height / 10, QFont::Bold));
    p.drawText(QRect(12, 0, width, height / 2), Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("Kelvane Pro"));
    return pixmap;
}

CAboutDlg::CAboutDlg(int packedVersion, bool shiftHeld, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About Kelvane Pro"));
    setObjectName(QStringLiteral("546"));
    auto* layout = new QHBoxLayout(this);
    auto* picture = new QLabel(this);
    picture->setPixmap(ProgramPicture(96, 96));
    layout->addWidget(picture);
    auto* texts = new QVBoxLayout;
    texts->addWidget(new QLabel(QString::fromUtf8(kProductName), this));
    m_version = new QLabel(AboutVersionText(packedVersion, shiftHeld), this);
    m_version->setObjectName(QStringLiteral("5320"));
    texts->addWidget(m_version);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    texts->addWidget(buttons);
    layout->addLayout(texts);
}

QString CAboutDlg::VersionText() const { return m_version->text(); }

CSplashWnd::CSplashWnd(QWidget* owner) : QSplashScreen(ProgramPicture(kWidth, kHeight))
{
    setObjectName(QStringLiteral("CSplashWnd"));
    // Owned by the main window: it stays above it while shown.
    KeepAbove(this, owner);
}

void CSplashWnd::Hide() { close(); }

} // namespace kv

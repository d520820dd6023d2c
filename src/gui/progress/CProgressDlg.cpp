#include "gui/progress/CProgressDlg.h"

#include "gui/controls/DialogParts.h"

#include <QApplication>
#include <QByteArray>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace kv {

QString ProgressPercentText(int lower, int upper, int pos)
{
    int percent = 0;
    if (upper != lower) {
        const long long p = (static_cast<long long>(pos) - lower) * 100 / (static_cast<long long>(upper) - lower);
        percent = static_cast<int>(p);
        if (percent != 100)
            percent %= 100;
    }
    return QString("%1%").arg(percent);
}

// ---------------------------------------------------------------- one bar

CProgressDlg::CProgressDlg(const QString& caption, QWidget* parent)
    : QDialog(parent), m_status(new QLabel(this)), m_percent(new QLabel(" 0 %", this)),
      m_bar(new QProgressBar(this)), m_cancel(new QPushButton("Cancel", this))
{
    setWindowTitle(caption.isEmpty() ? QString(kDefaultCaption) : caption);
    setModal(false);
    m_bar->setTextVisible(false);
    m_bar->setRange(m_lower, m_upper);
    m_bar->setValue(m_lower);
    connect(m_cancel, &QPushButton::clicked, this, &CProgressDlg::reject);
}

CProgressDlg::~CProgressDlg()
{
    if (m_ownerDisabled && m_owner)
        m_owner->setEnabled(true);
}

void CProgressDlg::Build(QLayout* extra)
{
    auto* layout = new QVBoxLayout(this);
    if (extra)
        layout->addLayout(extra);
    layout->addWidget(m_status);
    auto* row = new QHBoxLayout;
    row->addWidget(m_bar, 1);
    row->addWidget(m_percent);
    layout->addLayout(row);
    layout->addWidget(m_cancel, 0, Qt::AlignRight);
}

int CProgressDlg::Create(QWidget* parent)
{
    if (!layout())
        Build(nullptr);
    QWidget* owner = parent ? parent->window() : OwnerWindow() ? OwnerWindow() : QApplication::activeWindow();
    if (owner == this)
        owner = nullptr;
    m_owner = owner;
    if (owner && owner->isEnabled()) {
        owner->setEnabled(false);
        m_ownerDisabled = true;
    }
    // The dialog stays usable while its owner is disabled, and above it.
    setParent(nullptr, Qt::Dialog);
    KeepAbove(this, owner);
    show();
    g_abortValue = 0;
    return 1;
}

void CProgressDlg::SetStatus(const QString& text) { m_status->setText(text); }

void CProgressDlg::SetRange(int lower, int upper)
{
    // The bar's range travels as two 16-bit values.
    m_lower = static_cast<int16_t>(lower);
    m_upper = static_cast<int16_t>(upper);
    m_bar->setRange(std::min(m_lower, m_upper), std::max(m_lower, m_upper));
}

void CProgressDlg::PumpEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

int CProgressDlg::SetPos(int pos)
{
    PumpEvents();
    const int previous = m_pos;
    m_pos = pos;
    m_bar->setValue(std::clamp(pos, m_bar->minimum(), m_bar->maximum()));
    const QString text = PercentText();
    if (m_percent->text() != text)
        m_percent->setText(text);
    return previous;
}

QString CProgressDlg::PercentText() const { return ProgressPercentText(m_lower, m_upper, m_pos); }

int CProgressDlg::PollCancel()
{
    PumpEvents();
    if (m_cancelled) {
        m_cancelled = false;
        return 1;
    }
    return AbortRequested() ? 1 : 0;
}

void CProgressDlg::reject()
{
    m_cancelled = true;
    g_abortValue = kAbortValue;
}

void CProgressDlg::DestroyWindow()
{
    if (m_ownerDisabled && m_owner)
        m_owner->setEnabled(true);
    m_ownerDisabled = false;
    hide();
}

// ---------------------------------------------------------------- two bars

namespace {
CProgressMultiDlg* g_open = nullptr;
int g_granularity = 10;
int g_lastPercent = -1;
} // namespace

CProgressMultiDlg::CProgressMultiDlg(const QString& caption, QWidget* parent)
    : CProgressDlg(caption, parent), m_totalBox(new QGroupBox("Total Progress", this)),
      m_stepBox(new QGroupBox(this)), m_totalPercent(new QLabel(" 0 %", this)), m_totalBar(new QProgressBar(this))
{
    m_totalBar->setRange(0, 100);
    m_totalBar->setValue(0);
    m_totalBar->setTextVisible(false);
    auto* totalRow = new QHBoxLayout(m_totalBox);
    totalRow->addWidget(m_totalBar, 1);
    totalRow->addWidget(m_totalPercent);
    auto* stepRow = new QVBoxLayout(m_stepBox);
    auto* bars = new QHBoxLayout;
    bars->addWidget(m_bar, 1);
    bars->addWidget(m_percent);
    stepRow->addLayout(bars);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_totalBox);
    layout->addWidget(m_stepBox);
    layout->addWidget(m_status);
    layout->addWidget(m_cancel, 0, Qt::AlignRight);
}

CProgressMultiDlg::~CProgressMultiDlg() { End(); }

CProgressMultiDlg* CProgressMultiDlg::Open() { return g_open; }

int CProgressMultiDlg::Begin(QWidget* parent)
{
    if (!Create(parent))
        return 0;
    m_saved = GetProgressHooks();
    ProgressHooks mine = m_saved;
    mine.begin = HookBegin;
    mine.end = HookEnd;
    mine.step = HookStep;
    SetProgressHooks(mine);
    g_open = this;
    g_granularity = 10;
    g_lastPercent = -1;
    m_begun = true;
    g_abortValue = 0;
    return 1;
}

void CProgressMultiDlg::End()
{
    if (!m_begun)
        return;
    m_begun = false;
    ProgressHooks now = GetProgressHooks();
    if (m_saved.begin)
        now.begin = m_saved.begin;
    if (m_saved.end)
        now.end = m_saved.end;
    if (m_saved.step)
        now.step = m_saved.step;
    SetProgressHooks(now);
    if (g_open == this)
        g_open = nullptr;
    DestroyWindow();
}

void CProgressMultiDlg::SetTotalPos(int percent)
{
    PumpEvents();
    m_totalBar->setValue(std::clamp(percent, 0, 100));
    m_totalPercent->setText(QString("%1 %").arg(percent));
}

void CProgressMultiDlg::SetTotalText(const QString& text) { m_totalBox->setTitle(text); }
int CProgressMultiDlg::TotalPosition() const { return m_totalBar->value(); }
QString CProgressMultiDlg::TotalPercentText() const { return m_totalPercent->text(); }
QString CProgressMultiDlg::StepText() const { return m_stepBox->title(); }

void CProgressMultiDlg::HookBegin(const char* text, int granularity)
{
    if (!g_open)
        return;
    g_open->m_stepBox->setTitle(QString::fromUtf8(text ? text : ""));
    g_granularity = (granularity >= 1 && granularity <= 99) ? granularity : 10;
}

void CProgressMultiDlg::HookEnd() {}

int CProgressMultiDlg::HookStep(double done, double total)
{
    if (!g_open)
        return 0;
    const double ratio = done / total * 100.0;
    if (!std::isfinite(ratio))
        return 0;
    const int percent = static_cast<int>(std::clamp(ratio, -2147483648.0, 2147483647.0));
    if (percent == g_lastPercent)
        return percent;
    g_lastPercent = percent;
    if (percent % g_granularity == 0)
        g_open->SetPos(percent);
    return percent;
}

// ---------------------------------------------------------------- the default hooks' window

namespace {

QPointer<QWidget> g_owner;

class DialogWindow : public ProgressWindow {
public:
    DialogWindow() : m_dlg(new CProgressDlg) { m_dlg->Create(g_owner ? g_owner.data() : nullptr); }
    ~DialogWindow() override
    {
        m_dlg->DestroyWindow();
        delete m_dlg;
    }
    void SetText(const std::string& text) override { m_dlg->SetStatus(QString::fromStdString(text)); }
    void SetPosition(int percent) override { m_dlg->SetPos(percent); }
    std::string GetPlacement() const override { return m_dlg->saveGeometry().toHex().toStdString(); }
    void SetPlacement(const std::string& placement) override
    {
        m_dlg->restoreGeometry(QByteArray::fromHex(QByteArray::fromStdString(placement)));
    }

private:
    CProgressDlg* m_dlg;
};

std::unique_ptr<ProgressWindow> MakeDialogWindow() { return std::make_unique<DialogWindow>(); }

// Pumps the Qt event queue for the default poll hook: one round of processEvents per poll;
// an Esc key press while it pumps sets the abort value (and is swallowed).
class QtPump : public ProgressEventPump, public QObject {
public:
    bool EventWaiting() override
    {
        if (m_pumped) {
            m_pumped = false;
            return false;
        }
        return true;
    }
    bool WaitingEventIsEscape() override { return AbortRequested(); }
    bool PumpOne() override
    {
        m_pumped = true;
        m_pumping = true;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        m_pumping = false;
        return !AbortRequested();
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (m_pumping && event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            g_abortValue = kAbortValue;
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_pumped = false;
    bool m_pumping = false;
};

QtPump* g_pump = nullptr;

} // namespace

void InstallProgressWindows(QWidget* owner)
{
    g_owner = owner;
    SetProgressWindowFactory(MakeDialogWindow);
    if (!g_pump) {
        g_pump = new QtPump;
        QCoreApplication::instance()->installEventFilter(g_pump);
    }
    SetProgressEventPump(g_pump);
}

void RemoveProgressWindows()
{
    SetProgressWindowFactory(nullptr);
    SetProgressEventPump(nullptr);
    if (g_pump) {
        QCoreApplication::instance()->removeEventFilter(g_pump);
        delete g_pump;
        g_pump = nullptr;
    }
    g_owner = nullptr;
}

} // namespace kv

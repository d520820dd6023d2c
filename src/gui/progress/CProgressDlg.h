// The windows behind the progress hooks: the one-bar dialog the default hooks open for a
// long operation, and the two-bar dialog an operation of several steps keeps up around its
// whole run (its lower bar shows each inner operation, the upper one the total).
//
// Both disable their owner window while they exist, pump events on every update, and turn
// Cancel into the abort value.
#pragma once

#include "base/Progress.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class QProgressBar;
class QPushButton;
class QGroupBox;

namespace kv {

// The percent text of a bar: (pos - lower) x 100 / (upper - lower) in integers, modulo
// 100 unless exactly 100, then "%". Equal bounds show "0%".
QString ProgressPercentText(int lower, int upper, int pos);

class CProgressDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kDefaultCaption = "Operation Progress";

    explicit CProgressDlg(const QString& caption = QString(), QWidget* parent = nullptr);
    ~CProgressDlg() override;

    // Disables the owner (the parent's top-level window, else the active window) when it
    // is enabled, shows the dialog and clears the abort value; 1, or 0 when it fails.
    int Create(QWidget* parent = nullptr);
    void SetStatus(const QString& text);
    void SetRange(int lower, int upper);
    void SetStep(int step) { m_step = step; }
    // Each pumps pending events first and returns the bar's previous position.
    int SetPos(int pos);
    int AdvancePos(int delta) { return SetPos(m_pos + delta); }
    int Step() { return SetPos(m_pos + m_step); }
    // Pumps events; 1 when Cancel was pressed since the last call or the abort value is set.
    int PollCancel();
    // Re-enables the owner when this dialog disabled it, then closes.
    void DestroyWindow();

    int Position() const { return m_pos; }
    QString PercentText() const;
    QPushButton* CancelButton() const { return m_cancel; }

    void reject() override; // Cancel and Esc: the abort value, the dialog stays
    void accept() override {} // Enter does nothing

protected:
    void Build(QLayout* extra);
    static void PumpEvents();

    QLabel* m_status;
    QLabel* m_percent;
    QProgressBar* m_bar;
    QPushButton* m_cancel;
    QPointer<QWidget> m_owner;
    bool m_ownerDisabled = false;
    bool m_cancelled = false;
    int m_lower = 0, m_upper = 100, m_step = 10, m_pos = 0;
};

class CProgressMultiDlg : public CProgressDlg {
    Q_OBJECT
public:
    explicit CProgressMultiDlg(const QString& caption = QString(), QWidget* parent = nullptr);
    ~CProgressMultiDlg() override;

    // As Create; on success installs its own begin, end and step hooks (the poll hook
    // stays) until End, which puts back every hook that was in place.
    int Begin(QWidget* parent = nullptr);
    void End();
    void SetTotalPos(int percent);
    void SetTotalText(const QString& text);

    int TotalPosition() const;
    QString TotalPercentText() const;
    QString StepText() const;

    // The dialog that holds the hooks now (at most one).
    static CProgressMultiDlg* Open();

private:
    static void HookBegin(const char* text, int granularity);
    static void HookEnd();
    static int HookStep(double done, double total);

    QGroupBox* m_totalBox;
    QGroupBox* m_stepBox;
    QLabel* m_totalPercent;
    QProgressBar* m_totalBar;
    ProgressHooks m_saved{};
    bool m_begun = false;
};

// Installs the one-bar dialog as the default hooks' window and the event pump that lets
// Cancel and Esc reach a running loop (Esc sets the abort value while a progress dialog is
// open). Null `owner`: the active window at each opening.
void InstallProgressWindows(QWidget* owner);
void RemoveProgressWindows();

} // namespace kv

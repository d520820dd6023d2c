// "PW2 Export Wizard": the seven pages of the export wizard over its record
// (exchange/CExportWizard.h), one page at a time with Back, Next, Finish and Cancel. The
// page order, the buttons each page shows and the checks on leaving a page are the
// record's; the pages fill their controls from it and read them back before a move.
#pragma once

#include "exchange/CExportWizard.h"
#include "gui/exchange/CEditContourDlg.h"

#include <QDialog>
#include <QWidget>

#include <set>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QStackedWidget;
class QTreeWidget;

namespace kv {

class CPatchWnd;

// A page: fills its controls from the record and reads them back (false when a value was
// refused, with its message shown).
class CExportPage : public QWidget {
    Q_OBJECT
public:
    explicit CExportPage(ExportWizardRecord& record, QWidget* parent = nullptr) : QWidget(parent), m_record(record) {}
    virtual void Load() {}
    virtual bool Store() { return true; }

protected:
    ExportWizardRecord& m_record;
};

class CExportPageIntro : public CExportPage {
    Q_OBJECT
public:
    explicit CExportPageIntro(ExportWizardRecord& record, QWidget* parent = nullptr);
    void Load() override;
    bool Store() override;
    void ApplyRules();

    QCheckBox* climate;
    QCheckBox* altitude;
    QCheckBox* rainfall;
    QCheckBox* temperature;
    QCheckBox* useCustom;
    QLabel* templateLabel;
    QLineEdit* templateName;
    QPushButton* browse;
    QRadioButton* basic;
    QRadioButton* advanced;
    QLabel* explanation;
};

class CExportPageAdvanced : public CExportPage {
    Q_OBJECT
public:
    explicit CExportPageAdvanced(ExportWizardRecord& record, QWidget* parent = nullptr);
    void Load() override;

    void OnEditSelected();
    void OnDeleteSelected();
    void OnAddMultiple();
    void OnRemoveMultiple();
    // Refills the list; the contours in `selected` are selected again.
    void Refill(const std::set<const ContourDef*>& selected);
    void SelectRows(const std::vector<int>& rows);
    std::vector<int> SelectedRows() const;

    QTreeWidget* list;
    // The values of the last Add Multiple and Remove Multiple dialogs.
    ContourRange addRange{0.0f, 1000.0f, 100.0f};
    ContourDef addStyle;
    ContourRange removeRange{0.0f, 1000.0f, 100.0f};
};

class CExportPageSimple : public CExportPage {
    Q_OBJECT
public:
    explicit CExportPageSimple(ExportWizardRecord& record, QWidget* parent = nullptr);
    void Load() override;
    bool Store() override;
    void OnIntervalChanged(const QString& text);

    // The definition's altitude range and the unit, for the count line.
    float lowest = -30000.0f;
    float highest = 30000.0f;

    QCheckBox* filled;
    QCheckBox* outline;
    QCheckBox* coast;
    QComboBox* lineStyle;
    CPatchWnd* outlineColour;
    CPatchWnd* coastColour;
    QLineEdit* interval;
    QLabel* unit;
    QLineEdit* count;
    QWidget* preview;
};

class CExportPageDetail : public CExportPage {
    Q_OBJECT
public:
    explicit CExportPageDetail(ExportWizardRecord& record, QWidget* parent = nullptr);
    void Load() override;
    bool Store() override;

    QSlider* detail;
    QLabel* detailText;
    QCheckBox* multipoly;
    QCheckBox* separateOutlines;
    QCheckBox* relativeToWater;
    QLineEdit* smoothing;
};

class CExportPageFrills : public CExportPage {
    Q_OBJECT
public:
    explicit CExportPageFrills(ExportWizardRecord& record, QWidget* parent = nullptr);
    void Load() override;
    bool Store() override;

    QCheckBox* contourBar;
    QCheckBox* bitmapBackground;
    QCheckBox* border;
    QCheckBox* compassRose;
    QCheckBox* mapTitle;
    QLineEdit* titleText;
    QCheckBox* rectangularGrid;
    QCheckBox* scaleBar;
    QCheckBox* layerButtons;
    QCheckBox* tightBorder;
    bool loading = false;

signals:
    // A check box that decides the buttons changed.
    void buttonsChanged();
};

class CExportPageBitmap : public CExportPage {
    Q_OBJECT
public:
    explicit CExportPageBitmap(ExportWizardRecord& record, QWidget* parent = nullptr);
};

class CExportPageGrid : public CExportPage {
    Q_OBJECT
public:
    explicit CExportPageGrid(ExportWizardRecord& record, QWidget* parent = nullptr);
    void Load() override;
    bool Store() override;

    void OnAdd();
    void OnEdit();
    void OnDelete();
    void OnMove(int direction);
    void OnLoad();
    void OnSave();
    void Refill();
    void SelectRows(const std::vector<int>& rows);
    std::vector<int> SelectedRows() const;

    QTreeWidget* list;
    QLineEdit* endcap;
    QSlider* level;
    QLabel* levelText;
    QCheckBox* adaptive;
};

class CExportWizard : public QDialog {
    Q_OBJECT
public:
    explicit CExportWizard(QWidget* parent = nullptr);

    // The definition's values into the pages (the run's own values, kept between runs,
    // besides); back into a definition after Finish.
    void Load(const PW2Output& definition);
    void Store(PW2Output& definition) const;

    int CurrentPage() const { return m_page; }
    QString CurrentTitle() const;
    const ExportWizardRecord& Record() const { return m_record; }

    void OnBack();
    void OnNext();
    void OnFinish();

    QPushButton* BackButton() const { return m_back; }
    QPushButton* NextButton() const { return m_next; }
    QPushButton* FinishButton() const { return m_finish; }
    QPushButton* CancelButton() const { return m_cancel; }

    CExportPageIntro* intro;
    CExportPageAdvanced* advanced;
    CExportPageSimple* simple;
    CExportPageDetail* detail;
    CExportPageFrills* frills;
    CExportPageBitmap* bitmap;
    CExportPageGrid* grid;

private:
    void ShowPage(int page);
    void UpdateButtons();
    CExportPage* Page(int page) const;

    ExportWizardRecord m_record;
    int m_page = kPageIntro;
    QStackedWidget* m_stack;
    QLabel* m_title;
    QPushButton* m_back;
    QPushButton* m_next;
    QPushButton* m_finish;
    QPushButton* m_cancel;
};

// The window form of PW2Output::RunWizard.
class WindowExportWizard : public ExportWizard {
public:
    int Run(PW2Output& settings) override;
};

} // namespace kv

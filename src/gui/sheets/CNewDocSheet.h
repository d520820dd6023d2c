// "New Document": the wizard through which File > New sets up a world. It edits working
// copies of the document's world, lighting, imported surfaces, kind and unit settings;
// Finish hands them back, Cancel leaves the caller's copies as they were.
#pragma once

#include "document/DocumentServices.h"

#include <QWizard>
#include <QWizardPage>

class QButtonGroup;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace kv {

class CNewDocSheet;
class CWorldEditPrimary;

// A page of the wizard: told when it becomes and stops being the current one.
class CNewDocPage : public QWizardPage {
    Q_OBJECT
public:
    explicit CNewDocPage(CNewDocSheet& sheet) : m_sheet(sheet) {}
    virtual void OnSetActive() {}
    virtual void OnKillActive() {}
    // The wizard's own reset of a page left by Back is not wanted: every page keeps its
    // controls.
    void cleanupPage() override {}

protected:
    CNewDocSheet& Sheet() const { return m_sheet; }

private:
    CNewDocSheet& m_sheet;
};

// The kind of world: one button per kind.
class CNewDocType : public CNewDocPage {
    Q_OBJECT
public:
    explicit CNewDocType(CNewDocSheet& sheet);
    void OnSetActive() override;
    void OnKillActive() override;
    bool validatePage() override;
    int nextId() const override;

    // The button of kind 0, 4, 5 or 6 (null for any other).
    QRadioButton* Button(int kind) const;

private:
    QButtonGroup* m_group;
};

// The main parameters of a synthetic, flat or planar world: the World Settings Primary
// page over the page's own copy, and the noise source. The document's copy is read when
// the page is first shown and written only by Next.
class CNewDocSynthetic : public CNewDocPage {
    Q_OBJECT
public:
    explicit CNewDocSynthetic(CNewDocSheet& sheet);
    void OnSetActive() override;
    bool validatePage() override;
    int nextId() const override;

    CWorldEditPrimary* Primary() const { return m_primary; }
    QComboBox* MethodCombo() const { return m_method; }

private:
    SurfMap m_fields; // parameters only, no grids
    CWorldEditPrimary* m_primary;
    QComboBox* m_method;
    bool m_initialised = false;
};

// The elevation file of a world made from binary data.
class CNewDocBinData : public CNewDocPage {
    Q_OBJECT
public:
    explicit CNewDocBinData(CNewDocSheet& sheet);
    void OnSetActive() override;
    void OnKillActive() override;
    bool validatePage() override;
    int nextId() const override;
    // The file button: the Binary Data dialog over the first surface.
    void ChooseElevationFile();

    QLabel* ElevationName() const { return m_elevation; }
    QLabel* ColorName() const { return m_color; }
    QPushButton* ChooseButton() const { return m_choose; }

private:
    void ShowNames();
    QLabel* m_elevation;
    QLabel* m_color;
    QPushButton* m_choose;
};

class CNewDocSummary : public CNewDocPage {
    Q_OBJECT
public:
    explicit CNewDocSummary(CNewDocSheet& sheet);
    void OnSetActive() override;
    int nextId() const override { return -1; }

    QLabel* TitleLabel() const { return m_title; }
    QLabel* TextLabel() const { return m_text; }

private:
    QLabel* m_title;
    QLabel* m_text;
};

class CNewDocSheet : public QWizard {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "New Document";

    // Works on a copy of `settings`.
    explicit CNewDocSheet(const NewDocSettings& settings, QWidget* parent = nullptr);

    NewDocSettings& Working() { return m_working; }
    const NewDocSettings& Working() const { return m_working; }

    CNewDocType* TypePage() const { return m_type; }
    CNewDocSynthetic* SyntheticPage() const { return m_synthetic; }
    CNewDocBinData* BinaryPage() const { return m_binary; }
    CNewDocSummary* SummaryPage() const { return m_summary; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void PageChanged(int id);

    NewDocSettings m_working;
    CNewDocType* m_type;
    CNewDocSynthetic* m_synthetic;
    CNewDocBinData* m_binary;
    CNewDocSummary* m_summary;
    int m_current = -1;
};

// The wizard the document runs for every new world after the first: modal over the active
// window.
class WindowNewWorldWizard : public NewWorldWizard {
public:
    int Run(NewDocSettings& settings) override;
};

// Puts the window's wizard in force; returns the one it replaced (null: the default), which
// the caller puts back when its window goes.
NewWorldWizard* InstallNewWorldWizard();

} // namespace kv

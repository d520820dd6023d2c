// The colour link editors: "Color Link List" (a group's name) and "Color Link" (one link's
// name, target, comment and colour).
#pragma once

#include "document/ColorLinks.h"
#include "view/tools/ToolImageOverlay.h"

#include <QDialog>

#include <functional>
#include <string>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace kv {

class CPatchWnd;

class CColorLinkListEditDlg : public QDialog {
    Q_OBJECT
public:
    explicit CColorLinkListEditDlg(const std::string& name, QWidget* parent = nullptr);

    std::string name;
    QLineEdit* NameEdit() const { return m_edit; }
    void accept() override;

private:
    QLineEdit* m_edit;
};

class CColorLinkEditDlg : public QDialog {
    Q_OBJECT
public:
    using Acceptor = std::function<bool(const ColorLinkFields&)>;

    CColorLinkEditDlg(const ColorLinkFields& fields, Acceptor accept, QWidget* parent = nullptr);
    ~CColorLinkEditDlg() override;

    ColorLinkFields fields;
    // Stores the colour and shows it (the map's colour-link picker hands its pick here).
    void SetColor(uint32_t colour);

    QLineEdit* NameEdit() const { return m_name; }
    QLineEdit* LinkEdit() const { return m_link; }
    QPlainTextEdit* CommentEdit() const { return m_comment; }
    CPatchWnd* Swatch() const { return m_swatch; }
    QLabel* ColorText() const { return m_colorText; }
    void accept() override;

private:
    // While the editor is open, the map's colour-link picker hands its pick to SetColor.
    struct PickTarget : ColorLinkColorTarget {
        CColorLinkEditDlg* dialog = nullptr;
        void SetColor(uint32_t rgb) override { dialog->SetColor(rgb); }
    };
    PickTarget m_pickTarget;
    ColorLinkColorTarget* m_previousTarget = nullptr;
    Acceptor m_accept;
    QLineEdit* m_name;
    QLineEdit* m_link;
    QPlainTextEdit* m_comment;
    CPatchWnd* m_swatch;
    QLabel* m_colorText;
};

} // namespace kv

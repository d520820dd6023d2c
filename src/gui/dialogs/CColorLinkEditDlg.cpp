#include "gui/dialogs/CColorLinkEditDlg.h"

#include "base/color/CColorList.h"
#include "gui/controls/CPatchWnd.h"
#include "gui/controls/DialogData.h"
#include "gui/controls/DialogParts.h"
#include "platform/CLocale.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kv {

CColorLinkListEditDlg::CColorLinkListEditDlg(const std::string& n, QWidget* parent)
    : QDialog(parent), name(n), m_edit(MakeEdit(this, 5403))
{
    setWindowTitle("Color Link List");
    m_edit->setText(QString::fromStdString(name));
    auto* grid = new QGridLayout;
    AddRow(grid, MakeLabel(this, 0, "List Name:"), m_edit);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(MakeButtons(this));
}

void CColorLinkListEditDlg::accept()
{
    name = m_edit->text().toStdString();
    QDialog::accept();
}

CColorLinkEditDlg::CColorLinkEditDlg(const ColorLinkFields& f, Acceptor accept, QWidget* parent)
    : QDialog(parent), fields(f), m_accept(std::move(accept)), m_name(MakeEdit(this, 5403)),
      m_link(MakeEdit(this, 5404)), m_comment(new QPlainTextEdit(this)), m_swatch(new CPatchWnd(this, f.color)),
      m_colorText(MakeLabel(this, 5644, ""))
{
    setWindowTitle("Color Link");
    SetControlId(m_comment, 5405);
    SetControlId(m_swatch, 5643);
    m_swatch->setFixedSize(48, 24);
    m_name->setText(QString::fromStdString(fields.name));
    m_link->setText(QString::fromStdString(fields.link));
    m_comment->setPlainText(QString::fromStdString(fields.comment));
    SetColor(fields.color);
    // Picking from the map belongs to the map view's tool; the button stays hidden.
    auto* pick = new QPushButton("&Pick Color From Map", this);
    SetControlId(pick, 3);
    pick->hide();

    auto* grid = new QGridLayout;
    AddRow(grid, MakeLabel(this, 0, "Name:"), m_name);
    AddRow(grid, MakeLabel(this, 0, "Link:"), m_link);
    AddRow(grid, MakeLabel(this, 0, "Comment:"), m_comment);
    AddRow(grid, m_swatch, m_colorText);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(MakeButtons(this));
    connect(m_swatch, &CPatchWnd::colorChosen, this, [this](CPatchWnd* patch) { SetColor(patch->Color()); });
    m_pickTarget.dialog = this;
    m_previousTarget = SetColorLinkColorTarget(&m_pickTarget);
}

CColorLinkEditDlg::~CColorLinkEditDlg()
{
    if (GetColorLinkColorTarget() == &m_pickTarget)
        SetColorLinkColorTarget(m_previousTarget);
}

void CColorLinkEditDlg::SetColor(uint32_t colour)
{
    fields.color = colour & 0xFFFFFFu;
    m_swatch->SetColor(fields.color);
    m_colorText->setText(
        QString::fromStdString(FormatC("%02X%02X%02X", RedOf(fields.color), GreenOf(fields.color), BlueOf(fields.color))));
}

void CColorLinkEditDlg::accept()
{
    ColorLinkFields read = fields;
    read.name = m_name->text().toStdString();
    read.link = m_link->text().toStdString();
    read.comment = m_comment->toPlainText().toStdString();
    if (m_accept && !m_accept(read))
        return;
    fields = read;
    QDialog::accept();
}

} // namespace kv

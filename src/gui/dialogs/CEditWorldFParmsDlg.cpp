#include "gui/dialogs/CEditWorldFParmsDlg.h"
#include "base/MessageService.h"

#include "gui/controls/DialogData.h"
#include "gui/controls/DialogParts.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstring>

namespace kv {

namespace {

// A name of the record, however it is terminated.
QString RecordName(const char (&name)[kTexNameLength])
{
    return QString::fromLatin1(name, static_cast<qsizetype>(strnlen(name, kTexNameLength)));
}

} // namespace

TexParms CEditWorldFParmsDlg::DefaultParms()
{
    TexParms p{};
    p.size = kTexParmsSize;
    p.H = 1.0;
    p.lacunarity = 2.0;
    p.octaves = 12.0;
    p.seed = 12345;
    p.octaveMask = -1;
    return p;
}

CEditWorldFParmsDlg::CEditWorldFParmsDlg(const FractalParmsValues& v, QWidget* parent)
    : QDialog(parent), values(v), m_h(MakeEdit(this, 5471)), m_lacunarity(MakeEdit(this, 5325)),
      m_octaves(MakeEdit(this, 5412))
{
    setWindowTitle(RecordName(values.info.name));
    ShowNumber(m_h, values.parms.H);
    ShowNumber(m_lacunarity, values.parms.lacunarity);
    ShowNumber(m_octaves, values.parms.octaves);
    auto* grid = new QGridLayout;
    AddRow(grid, MakeLabel(this, 0, "H (Roughness):"), m_h);
    AddRow(grid, MakeLabel(this, 0, "Lacunarity:"), m_lacunarity);
    AddRow(grid, MakeLabel(this, 0, "Octaves:"), m_octaves);
    for (int i = 0; i < kTexExtraCount; ++i) {
        m_extras[i] = MakeEdit(this, 5552 + i);
        m_extraLabels[i] = MakeLabel(this, 5285 + i, RecordName(values.info.extraNames[i]));
        ShowNumber(m_extras[i], values.parms.extras[i]);
        const bool used = (values.info.extrasMask & (1u << i)) != 0;
        m_extras[i]->setVisible(used);
        m_extraLabels[i]->setVisible(used);
        AddRow(grid, m_extraLabels[i], m_extras[i]);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    QDialogButtonBox* buttons = MakeButtons(this);
    // "Set Default" is on the dialog and does nothing.
    buttons->addButton("&Set Default", QDialogButtonBox::ResetRole);
    layout->addWidget(buttons);
}

void CEditWorldFParmsDlg::accept()
{
    DialogData dx;
    TexParms read = values.parms;
    if (!dx.Double(m_h, read.H) || !dx.Double(m_lacunarity, read.lacunarity, kMinLacunarity, kMaxLacunarity) ||
        !dx.Double(m_octaves, read.octaves, kMinOctaves, kMaxOctaves))
        return;
    // A lacunarity of 0 gives infinite octave weights and noise that is not a number.
    if (!(read.lacunarity > 0.0)) {
        ShowMessage(kLacunarityMessage);
        m_lacunarity->setFocus();
        m_lacunarity->selectAll();
        return;
    }
    for (int i = 0; i < kTexExtraCount; ++i) {
        if (!dx.Double(m_extras[i], read.extras[i]))
            return;
    }
    values.parms = read;
    QDialog::accept();
}

} // namespace kv

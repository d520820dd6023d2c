#include "gui/exchange/ExchangeDialogParts.h"

#include "base/MessageService.h"
#include "platform/CLocale.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include <cstdio>
#include <cstdlib>

namespace kv {

bool ScanInt(const QString& text, int& value)
{
    const std::string s = text.toStdString();
    CLocaleScope c;
    int v = 0;
    if (std::sscanf(s.c_str(), "%d", &v) != 1)
        return false;
    value = v;
    return true;
}

bool ScanDouble(const QString& text, double& value)
{
    const std::string s = text.toStdString();
    char* end = nullptr;
    const double v = StrToDoubleC(s.c_str(), &end);
    if (end == s.c_str())
        return false;
    value = v;
    return true;
}

QString FormatReal(double value)
{
    return QString::fromStdString(FormatC("%g", value));
}

bool TakeInt(QLineEdit* edit, int low, int high, int& value)
{
    int v = 0;
    bool whole = false;
    const long long parsed = edit->text().trimmed().toLongLong(&whole);
    if (whole && parsed >= low && parsed <= high) {
        v = static_cast<int>(parsed);
        value = v;
        return true;
    }
    ShowMessage("Please enter an integer between " + std::to_string(low) + " and " + std::to_string(high) + ".");
    edit->setFocus();
    edit->selectAll();
    return false;
}

bool TakeDouble(QLineEdit* edit, double& value)
{
    bool ok = false;
    const double v = QLocale::c().toDouble(edit->text().trimmed(), &ok);
    if (ok) {
        value = v;
        return true;
    }
    ShowMessage("Please enter a number.");
    edit->setFocus();
    edit->selectAll();
    return false;
}

QGroupBox* MapEdgesGroup(QWidget* parent, QLineEdit* north, QLineEdit* west, QLineEdit* east, QLineEdit* south)
{
    auto* edges = new QGroupBox("Map Edges (degrees)", parent);
    auto* grid = new QGridLayout(edges);
    grid->addWidget(new QLabel("Top:", edges), 0, 1);
    grid->addWidget(north, 0, 2);
    grid->addWidget(new QLabel("Left:", edges), 1, 0);
    grid->addWidget(west, 1, 1);
    grid->addWidget(new QLabel("Right:", edges), 1, 2);
    grid->addWidget(east, 1, 3);
    grid->addWidget(new QLabel("Bottom:", edges), 2, 1);
    grid->addWidget(south, 2, 2);
    return edges;
}

ExtendedSaveDialog::ExtendedSaveDialog(QWidget* parent, const QString& title, const std::string& filter,
                                       const QString& defaultExtension, const QString& fileName)
    : QFileDialog(parent, title)
{
    setOption(QFileDialog::DontUseNativeDialog, true);
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    // "Text|pattern|" pairs; the patterns' ';' become blanks.
    const QStringList parts = QString::fromStdString(filter).split('|');
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty())
            break;
        QString text = parts[i];
        const QString patterns = QString(parts[i + 1]).replace(';', ' ');
        if (!text.contains('('))
            text += " (" + patterns + ")";
        m_filters << text;
        const QString first = patterns.section(' ', 0, 0);
        m_extensions << (first.startsWith("*.") && !first.mid(2).contains('*') && !first.mid(2).contains('?')
                             ? first.mid(2)
                             : QString());
    }
    setNameFilters(m_filters);
    QString suffix = defaultExtension;
    if (suffix.startsWith('.'))
        suffix.remove(0, 1);
    setDefaultSuffix(suffix);
    if (!fileName.isEmpty())
        selectFile(fileName);
    connect(this, &QFileDialog::filterSelected, this, &ExtendedSaveDialog::FollowFilter);
}

void ExtendedSaveDialog::FollowFilter(const QString& nameFilter)
{
    const qsizetype i = m_filters.indexOf(nameFilter);
    if (i >= 0 && !m_extensions[i].isEmpty())
        setDefaultSuffix(m_extensions[i]);
}

void ExtendedSaveDialog::AddExtraRow(QWidget* row)
{
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(row, grid->rowCount(), 0, 1, grid->columnCount());
}

int ExtendedSaveDialog::FilterIndex() const
{
    return static_cast<int>(m_filters.indexOf(selectedNameFilter())) + 1;
}

void ExtendedSaveDialog::SetFilterIndex(int index)
{
    if (index >= 1 && index <= m_filters.size()) {
        selectNameFilter(m_filters[index - 1]);
        FollowFilter(m_filters[index - 1]);
    }
}

std::string ExtendedSaveDialog::ChosenPath() const
{
    const QStringList files = selectedFiles();
    return files.isEmpty() ? std::string() : files.front().toStdString();
}

} // namespace kv

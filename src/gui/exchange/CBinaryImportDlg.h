// "Binary Data": describes a raw elevation file for an imported data surface. The file
// button picks a file and fills the description in when it recognises the file.
#pragma once

#include "exchange/BinaryImport.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace kv {

class CBinaryImportDlg : public QDialog {
    Q_OBJECT
public:
    // The caller sets `values` (from the surface) before showing the dialog and reads them
    // back after OK.
    explicit CBinaryImportDlg(QWidget* parent = nullptr);

    BinaryImportValues values;

    // Shows the values in the controls.
    void RefreshControls();
    // Takes the control values into `values`; false (with the message shown and the focus
    // on the edit) when one is refused.
    bool ReadControls();
    // The file button: reads the controls, asks for a file ("Select Binary Altitude File",
    // reopening in the last folder) and applies it.
    void OnFileButton();
    // The file button's steps after the choice of `path`.
    void ApplyFile(const QString& path);

    void showEvent(QShowEvent* event) override;
    void accept() override;

    QLineEdit* FileNameEdit() const { return m_fileName; }
    QComboBox* SampleTypeList() const { return m_sampleType; }
    QCheckBox* LittleEndianCheck() const { return m_littleEndian; }
    QCheckBox* SignedCheck() const { return m_signed; }
    QLineEdit* LineWidthEdit() const { return m_lineWidth; }
    QLineEdit* HeaderLengthEdit() const { return m_headerLength; }
    QCheckBox* WrapCheck() const { return m_wrap; }
    QLineEdit* XStartEdit() const { return m_xStart; }
    QLineEdit* YStartEdit() const { return m_yStart; }
    QLineEdit* WidthEdit() const { return m_width; }
    QLineEdit* HeightEdit() const { return m_height; }
    QLineEdit* TopEdit() const { return m_north; }
    QLineEdit* LeftEdit() const { return m_west; }
    QLineEdit* RightEdit() const { return m_east; }
    QLineEdit* BottomEdit() const { return m_south; }
    QLineEdit* NoDataEdit() const { return m_noData; }
    QCheckBox* ReplaceCheck() const { return m_replace; }
    QLineEdit* NewValueEdit() const { return m_newValue; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLineEdit* m_fileName;
    QComboBox* m_sampleType;
    QCheckBox* m_littleEndian;
    QCheckBox* m_signed;
    QLineEdit* m_lineWidth;
    QLineEdit* m_headerLength;
    QCheckBox* m_wrap;
    QLineEdit* m_xStart;
    QLineEdit* m_yStart;
    QLineEdit* m_width;
    QLineEdit* m_height;
    QLineEdit* m_north;
    QLineEdit* m_west;
    QLineEdit* m_east;
    QLineEdit* m_south;
    QLineEdit* m_noData;
    QCheckBox* m_replace;
    QLineEdit* m_newValue;
};

} // namespace kv

// "Globe Setup File Export": the detail levels, the folder, the link file and the file set
// of a globe export. A level can be switched on only when every coarser level is on.
#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace kv {

class CGlobeExportDlgFace : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 3016;
    static constexpr int kLevelIds[4] = {5048, 5050, 5051, 5052};
    static constexpr int kDirectoryId = 5647;
    static constexpr int kLinkFileId = 5645;
    static constexpr int kFileSetId = 5646;

    explicit CGlobeExportDlgFace(QWidget* parent = nullptr);

    // The caller's values before the dialog opens and after it closed with OK.
    bool levels[4] = {false, false, false, false};
    std::vector<std::string> fileSets;
    std::string directory;
    bool linkFile = false;
    int fileSetIndex = 0;

    // Fills the controls from the values (as on opening).
    void LoadControls();
    // Reads the controls back into the values.
    void ReadControls();
    QCheckBox* LevelBox(int level) const { return m_levels[level]; }
    QComboBox* FileSetBox() const { return m_fileSet; }

    int exec() override;

private:
    // Level 1 always; each finer level only when every coarser one is on.
    void ApplyLevelRule();

    QCheckBox* m_levels[4];
    QLineEdit* m_directory;
    QCheckBox* m_link;
    QComboBox* m_fileSet;
};

} // namespace kv

// The pages of the Lighting and Color sheet: the scheme list, the light direction and
// shading, the land and sea ramps, the temperature and rainfall ramps and the climate
// class colours.
#pragma once

#include "base/color/CColorList.h"
#include "gui/sheets/CColoringSheet.h"
#include "gui/sheets/CSettingsListPage.h"

#include <QImage>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSlider;
class QTreeWidget;

namespace kv {

class CKVDoc;

// A bar or swatch: draws its image inside a 1-pixel border and reports clicks.
class ColorImageBox : public QWidget {
    Q_OBJECT
public:
    explicit ColorImageBox(QWidget* parent = nullptr);
    void SetImage(const QImage& image);
    const QImage& Image() const { return m_image; }
    // The image size that fits the box: its size less 2 pixels each way.
    QSize ImageSize() const { return size() - QSize(2, 2); }
    std::function<void(int y)> clicked;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QImage m_image;
};

// A bar of a list (empty below four rows) and a swatch of one colour.
QImage ColorBarImage(const CColorList& list, QSize size);
QImage SwatchImage(uint32_t colour, QSize size);

// One ramp editor: "Blended:", the colour count, the top swatch (last stop), the bar and
// the bottom swatch (first stop). Typed counts resample the list as it was when the edit
// began; counts stay within minimum..256.
class ColorRampEditor : public QWidget {
    Q_OBJECT
public:
    ColorRampEditor(int minimumCount, QWidget* parent = nullptr);
    // The list edited (kept by the caller) and what runs after every change.
    void SetList(CColorList* list);
    std::function<void()> changed;
    void Refresh();
    void TypeCount(const QString& text);
    void PickTop();
    void PickBottom();
    void PickAt(int y);

    QCheckBox* BlendedCheck() const { return m_blended; }
    QLineEdit* CountEdit() const { return m_count; }
    ColorImageBox* Bar() const { return m_bar; }
    ColorImageBox* TopSwatch() const { return m_top; }
    ColorImageBox* BottomSwatch() const { return m_bottom; }
    QLabel* TopLabel() const { return m_topLabel; }
    QLabel* BottomLabel() const { return m_bottomLabel; }
    int Count() const;
    // The typed count checked as the page is read: a whole number of 0..256, else the range
    // message and false.
    bool CheckCount() const;

private:
    void Redraw();

    int m_minimum;
    CColorList* m_list = nullptr;
    std::optional<CColorList> m_editBase;
    QCheckBox* m_blended;
    QLineEdit* m_count;
    ColorImageBox* m_top;
    ColorImageBox* m_bar;
    ColorImageBox* m_bottom;
    QLabel* m_topLabel;
    QLabel* m_bottomLabel;
};

class CColoringSelection : public CSettingsListPage {
    Q_OBJECT
public:
    explicit CColoringSelection(QWidget* parent = nullptr);
    const LightParms& Preview() const { return m_preview; }
    const QImage& PreviewImage() const { return m_previewImage; }
    ColorImageBox* PreviewBox() const { return m_previewBox; }

protected:
    int ReadInto(const std::string& path) override;
    bool WriteFrom(const std::string& path) override;
    void AfterLoad() override;
    void OnEntryClicked(const std::string& path) override;

private:
    LightParms& Working() const;
    void DrawPreview();

    LightParms m_preview;
    QImage m_previewImage;
    ColorImageBox* m_previewBox;
};

// The light direction preview.
class LightArrowBox : public QWidget {
    Q_OBJECT
public:
    explicit LightArrowBox(QWidget* parent = nullptr) : QWidget(parent) {}
    void SetDirection(double azimuth, double elevation);
    QImage Render() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double m_azimuth = 315.0;
    double m_elevation = 45.0;
};

class CColoringIntensity : public CColoringPage {
    Q_OBJECT
public:
    explicit CColoringIntensity(QWidget* parent = nullptr);
    void RefreshControls() override;
    bool ReadControls() override;
    void SetDefaults() override;

    QSlider* AzimuthSlider() const { return m_azSlider; }
    QSlider* ElevationSlider() const { return m_elSlider; }
    QSlider* ShadowsSlider() const { return m_shadows; }
    QLineEdit* AzimuthEdit() const { return m_azEdit; }
    QLineEdit* ElevationEdit() const { return m_elEdit; }
    QLineEdit* ExaggerationEdit() const { return m_exag; }
    LightArrowBox* Arrow() const { return m_arrow; }
    void TypeAzimuth(const QString& text);
    void TypeElevation(const QString& text);

private:
    void ShowValues();

    QSlider* m_azSlider;
    QSlider* m_elSlider;
    QSlider* m_shadows;
    QLineEdit* m_azEdit;
    QLineEdit* m_elEdit;
    QLineEdit* m_exag;
    LightArrowBox* m_arrow;
    float m_azimuth = 315.0f;
    float m_elevation = 45.0f;
    float m_ambient = 0.25f;
    bool m_filling = false;
};

class CColoringAltitude : public CColoringPage {
    Q_OBJECT
public:
    explicit CColoringAltitude(QWidget* parent = nullptr);
    void RefreshControls() override;
    bool ReadControls() override;
    void SetDefaults() override;
    // Reads the page and shows a count of 1 as 2 for both lists, each list resampled to the
    // count it shows; the sheet is not applied.
    void OnOK() override;

    ColorRampEditor* Land() const { return m_land; }
    ColorRampEditor* Sea() const { return m_sea; }
    QCheckBox* LandShaded() const { return m_landShaded; }
    QCheckBox* SeaShaded() const { return m_seaShaded; }

private:
    ColorRampEditor* m_land;
    ColorRampEditor* m_sea;
    QCheckBox* m_landShaded;
    QCheckBox* m_seaShaded;
};

// The Temperature and Rainfall pages: a copy of the document's list, written back into the
// document when the page is read.
class CColoringClimateRamp : public CColoringPage {
    Q_OBJECT
public:
    enum Kind { kTemperature, kRainfall };
    explicit CColoringClimateRamp(Kind kind, QWidget* parent = nullptr);
    void RefreshControls() override;
    bool ReadControls() override;
    void SetDefaults() override;
    // The ".bcl" buttons after their file dialogs.
    void LoadListFile(const std::string& path);
    void SaveListFile(const std::string& path);

    const CColorList& List() const { return m_list; }
    ColorRampEditor* Editor() const { return m_editor; }

private:
    CColorList& DocumentList(CKVDoc& doc) const;

    Kind m_kind;
    CColorList m_list;
    CColorList m_initial;
    ColorRampEditor* m_editor;
};

class CColoringClimate : public CColoringPage {
    Q_OBJECT
public:
    static constexpr const char* kSelectMessage = "Please select a climate entry to edit";

    explicit CColoringClimate(QWidget* parent = nullptr);
    void RefreshControls() override;
    void SetDefaults() override;
    void EditSelected();
    void LoadFile(const std::string& path);
    void SaveFile(const std::string& path);
    QTreeWidget* Table() const { return m_table; }

private:
    QTreeWidget* m_table;
};

// The file dialogs of the colour pages: title, filter and default extension in; the path,
// or nothing when cancelled. Until replaced, the standard Qt file dialogs.
using ColorFilePrompt =
    std::function<std::optional<std::string>(bool save, const char* title, const char* filter, const char* ext)>;
void SetColorFilePrompt(ColorFilePrompt prompt);
// The name a colour file is saved under: the name as typed when it ends in `ext` (any case),
// else the name with "." + ext appended; nothing (the save is dropped) when the appended
// name is an existing file the user does not want replaced, or the name is empty.
std::optional<std::string> SavePathWithExtension(const std::string& typed, const std::string& ext);

} // namespace kv

// The pages of the World Settings sheet. Each shows a group of the working world's
// parameters in the units the sheet's flag selects and writes them back, converted, when
// the sheet reads its pages. A page checks every value before it stores any, so a refused
// value leaves the working world as it was.
#pragma once

#include "base/noise/CSourceDatabase.h"
#include "gui/sheets/CSettingsListPage.h"
#include "gui/sheets/CWorldEditSheet.h"

#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;

namespace kv {

struct TexParms;

class CWorldEditSelection : public CSettingsListPage {
    Q_OBJECT
public:
    explicit CWorldEditSelection(QWidget* parent = nullptr);

protected:
    int ReadInto(const std::string& path) override;
    bool WriteFrom(const std::string& path) override;
    void AfterLoad() override { NotifySheet(); }

private:
    SurfMap& Working() const;
};

class CWorldEditPrimary : public CWorldEditPage {
    Q_OBJECT
public:
    enum Slider { kRoughness, kPercentSea, kLandSize, kSliderCount };

    explicit CWorldEditPrimary(QWidget* parent = nullptr);
    void RefreshControls() override;
    bool ReadControls() override;
    void OnKillActive() override;

    int SizeChoice() const { return m_sizeChoice; }
    void SetSizeChoice(int choice);
    bool ApplyToCurrent() const;
    // Draws a new seed into the working world (the new-seed button).
    void NewSeed();

    QLineEdit* PeakEdit() const { return m_peak; }
    QLineEdit* DepthEdit() const { return m_depth; }
    QLineEdit* SizeEdit() const { return m_size; }
    QComboBox* SizeCombo() const { return m_sizeCombo; }
    QLineEdit* SeedEdit() const { return m_seed; }
    QSlider* SliderControl(int which) const { return m_sliders[static_cast<size_t>(which)]; }
    QLabel* SliderLabel(int which) const { return m_sliderLabels[static_cast<size_t>(which)]; }
    QCheckBox* ApplyCheck() const { return m_apply; }

private:
    void UpdateLabels();
    void OnSizeChoice(int choice);

    QLineEdit* m_peak;
    QLineEdit* m_depth;
    QLineEdit* m_size;
    QLineEdit* m_seed;
    QComboBox* m_sizeCombo;
    QLabel* m_peakUnit;
    QLabel* m_depthUnit;
    QLabel* m_sizeUnit;
    QCheckBox* m_apply;
    std::array<QSlider*, kSliderCount> m_sliders{};
    std::array<QLabel*, kSliderCount> m_sliderLabels{};
    // A slider writes its value back only once moved since the page was filled.
    std::array<bool, kSliderCount> m_moved{};
    std::array<double, kSliderCount> m_values{};
    int m_sizeChoice = 0;
    bool m_filling = false;
};

class CWorldEditMisc : public CWorldEditPage {
    Q_OBJECT
public:
    static constexpr const char* kRawMessage =
        "Checking this parameter will result in world altitudes\nbeing defined only by the offset channel. The "
        "fractal\nfunction and roughness channel will be ignored.";

    explicit CWorldEditMisc(QWidget* parent = nullptr);
    void RefreshControls() override;
    bool ReadControls() override;
    void OnKillActive() override;

    QCheckBox* RawCheck() const { return m_raw; }
    QCheckBox* MetricCheck() const { return m_metric; }
    QCheckBox* ShelfCheck() const { return m_shelf; }
    QLineEdit* ShelfEdit() const { return m_level; }
    QLineEdit* LatitudeEdit() const { return m_latitude; }
    QLineEdit* LongitudeEdit() const { return m_longitude; }

private:
    QCheckBox* m_raw;
    QCheckBox* m_metric;
    QCheckBox* m_shelf;
    QLineEdit* m_level;
    QLabel* m_levelUnit;
    QLineEdit* m_latitude;
    QLineEdit* m_longitude;
};

class CWorldEditEditing : public CWorldEditPage {
    Q_OBJECT
public:
    explicit CWorldEditEditing(QWidget* parent = nullptr);
    void RefreshControls() override;
    bool ReadControls() override;
    void OnSetActive() override {}

    // The grid width read last (the working world's until the page is read).
    int Width() const { return m_width; }
    QLineEdit* WidthEdit() const { return m_widthEdit; }
    QRadioButton* SizeButton(int index) const { return m_buttons[static_cast<size_t>(index)]; }
    QCheckBox* PrescaleCheck() const { return m_prescale; }
    QLabel* MemoryLabel() const { return m_memory; }
    QLabel* CellLabel() const { return m_cell; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void UpdateLabels();
    // Takes a width the user chose, into the page and the working world.
    void ChooseWidth(int width);

    std::array<QRadioButton*, 4> m_buttons{};  // small, medium, large, custom
    QLineEdit* m_widthEdit;
    QCheckBox* m_prescale;
    QLabel* m_memory;
    QLabel* m_cell;
    int m_width = 256;
    bool m_filled = false;
};

class CWorldEditFractalBasis : public CWorldEditPage {
    Q_OBJECT
public:
    static constexpr const char* kNoSourceMessage =
        "The currently selected basis function does not appear\nin the basis function database.\nPerhaps it is a "
        "third-party DLL not present on the machine.\nSelecting a different generation method may result in "
        "a\ndifferent generated world";
    // The noise-source parameter dialog: true (parameters changed) on OK. Until the window
    // side installs it, nothing is shown.
    using ParmsDialog = std::function<bool(TexParms& parms, const CSourceDatabase::SourceEntry& source)>;
    static void SetParmsDialog(ParmsDialog dialog);

    explicit CWorldEditFractalBasis(QWidget* parent = nullptr);
    void RefreshControls() override;
    bool ReadControls() override;
    void EditSourceParms();

    QComboBox* MethodCombo() const { return m_method; }
    QCheckBox* PlanarCheck() const { return m_planar; }
    QCheckBox* AutoCheck() const { return m_auto; }
    QGroupBox* ScaleGroup() const { return m_scaleGroup; }
    QLineEdit* PositionEdit(int axis) const { return m_position[static_cast<size_t>(axis)]; }
    QLineEdit* ScaleEdit(int axis) const { return m_scale[static_cast<size_t>(axis)]; }

private:
    void UpdateEnabling();

    QComboBox* m_method;
    QCheckBox* m_planar;
    QCheckBox* m_flipH;
    QCheckBox* m_flipV;
    QCheckBox* m_auto;
    QGroupBox* m_scaleGroup;
    std::array<QLineEdit*, 3> m_position{};
    std::array<QLineEdit*, 3> m_scale{};
};

class CWorldEditTemperature : public CWorldEditPage {
    Q_OBJECT
public:
    explicit CWorldEditTemperature(QWidget* parent = nullptr);
    void RefreshControls() override;
    bool ReadControls() override;

    QLineEdit* TiltEdit() const { return m_tilt; }
    QRadioButton* PhysicalButton() const { return m_physical; }
    QRadioButton* SpecifiedButton() const { return m_specified; }
    QLineEdit* AlbedoEdit() const { return m_albedo; }
    QLineEdit* LightEdit() const { return m_light; }
    QLineEdit* GreenhouseEdit() const { return m_greenhouse; }
    QLineEdit* BaseEdit() const { return m_base; }
    QLineEdit* RandomEdit() const { return m_random; }
    QLineEdit* VarianceEdit() const { return m_variance; }

private:
    void UpdateEnabling();

    QLineEdit* m_tilt;
    QRadioButton* m_physical;
    QRadioButton* m_specified;
    QLineEdit* m_albedo;
    QLineEdit* m_light;
    QLineEdit* m_greenhouse;
    QLineEdit* m_base;
    QLineEdit* m_random;
    QLineEdit* m_variance;
    QLabel* m_baseUnit;
    QLabel* m_varianceUnit;
};

class CWorldEditRainfall : public CWorldEditPage {
    Q_OBJECT
public:
    explicit CWorldEditRainfall(QWidget* parent = nullptr);
    void RefreshControls() override;
    bool ReadControls() override;

    QLineEdit* BaseEdit() const { return m_base; }
    QLineEdit* RandomEdit() const { return m_random; }
    QLabel* UnitLabel() const { return m_unit; }

private:
    QLineEdit* m_base;
    QLineEdit* m_random;
    QLabel* m_unit;
};

} // namespace kv

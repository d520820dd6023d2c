#include "document/MoundDialogs.h"
#include "document/ProcessCurvesDlg.h"

#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace kv;
namespace fs = std::filesystem;

namespace {

ProcessCurvesDlg Dialog(std::vector<float> samples, int width = 12, int height = 11)
{
    ProcessCurvesDlg dialog;
    dialog.curve.samples = std::move(samples);
    dialog.SetBox({100, 50, width, height});
    return dialog;
}

struct Chooser : CurveFileChooser {
    std::string answer;
    bool ok = true;
    std::vector<CurveFileRequest> requests;
    bool ChooseFile(const CurveFileRequest& request, std::string& path) override
    {
        requests.push_back(request);
        path = answer;
        return ok;
    }
};

} // namespace

TEST(ProcessCurvesDlg, OpeningResamplesToTheBoxAndConvertsToFeet)
{
    ProcessCurvesDlg dialog = Dialog({0.0f, 1.0f});
    dialog.curve.scaleLow = 3.0f;
    dialog.lower = -100.0f;
    dialog.upper = 1000.0f;
    dialog.worldLowest = -10.0f;
    dialog.worldHighest = 20.0f;
    dialog.OnInitDialog(false);
    EXPECT_EQ(dialog.UnitLabel(), "ft");
    EXPECT_FLOAT_EQ(dialog.upper, 3280.84f);
    EXPECT_FLOAT_EQ(dialog.worldLowest, -32.8084f);
    // 12 pixels: 10 samples of the line, sample i = i / 9.
    ASSERT_EQ(dialog.curve.Count(), 10);
    EXPECT_NEAR(dialog.curve.samples[3], 3.0f / 9.0f, 1e-6f);
    EXPECT_NEAR(dialog.curve.samples[9], 0.99999f, 1e-6f);
    EXPECT_EQ(dialog.curve.scaleLow, 0.0f);
    dialog.OnOK();
    EXPECT_NEAR(dialog.upper, 1000.0f, 1e-3f);
    EXPECT_NEAR(dialog.worldLowest, -32.8084f, 1e-4f); // only the limits go back

    ProcessCurvesDlg metric = Dialog(std::vector<float>(10, 0.5f));
    metric.upper = 7.0f;
    metric.OnInitDialog(true);
    EXPECT_EQ(metric.UnitLabel(), "m");
    EXPECT_EQ(metric.upper, 7.0f);
    EXPECT_EQ(metric.curve.Count(), 10); // enough samples: unchanged
}

TEST(ProcessCurvesDlg, PictureOfCurveAndLimitLine)
{
    ProcessCurvesDlg dialog = Dialog({0.0f, 1.0f}, 6, 11);
    dialog.lower = -1000.0f;
    dialog.upper = 3000.0f;
    const CurvePicture picture = dialog.GetPicture();
    ASSERT_TRUE(picture.hasLimitLine);
    EXPECT_EQ(picture.limitY, static_cast<int>(3000.0f / 4000.0001f * 11)); // 8
    // x = i + 1, y = 10 - 10 x curve(i / 4).
    const int expected[5][2] = {{1, 10}, {2, 7}, {3, 5}, {4, 2}, {5, 0}};
    ASSERT_EQ(picture.curve.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(picture.curve[i].x, expected[i][0]);
        EXPECT_EQ(picture.curve[i].y, expected[i][1]) << i;
    }
    dialog.showLimits = false;
    EXPECT_FALSE(dialog.GetPicture().hasLimitLine);
}

TEST(ProcessCurvesDlg, MouseSetsAndDragsSamplesInsideTheBox)
{
    ProcessCurvesDlg dialog = Dialog(std::vector<float>(11, 0.0f), 11, 11);
    EXPECT_FALSE(dialog.OnLButtonDown(99, 55)); // outside: nothing
    EXPECT_FALSE(dialog.dragging);
    ASSERT_TRUE(dialog.OnLButtonDown(102, 50)); // top of the box: 1.0 at sample 2
    EXPECT_TRUE(dialog.dragging);
    EXPECT_FLOAT_EQ(dialog.curve.samples[2], 1.0f);
    // Dragging to (106, 60): samples 2..6 follow the line from y 50 to 60.
    ASSERT_TRUE(dialog.OnMouseMove(106, 60));
    const float expected[11] = {0, 0, 1.0f, 0.8f, 0.5f, 0.3f, 0.0f, 0, 0, 0, 0};
    for (int i = 0; i < 11; ++i)
        EXPECT_NEAR(dialog.curve.samples[i], expected[i], 1e-6f) << i;
    // Outside the box the point is held at its edge.
    ASSERT_TRUE(dialog.OnMouseMove(130, 20));
    EXPECT_FLOAT_EQ(dialog.curve.samples[10], 1.0f);
    dialog.OnLButtonUp();
    EXPECT_FALSE(dialog.OnMouseMove(101, 55));
}

TEST(ProcessCurvesDlg, Buttons)
{
    ProcessCurvesDlg smooth = Dialog({0.0f, 1.0f, 0.0f});
    smooth.OnSmooth();
    for (float s : smooth.curve.samples)
        EXPECT_NEAR(s, 1.0f / 3.0f, 1e-6f);

    ProcessCurvesDlg apply = Dialog({0.0f, 0.5f, 0.8f});
    apply.exponent = 2.0f;
    apply.OnApply(); // 0, 0.25, 0.64, normalised
    EXPECT_NEAR(apply.curve.samples[1], 0.25f / 0.64f, 1e-6f);
    EXPECT_FLOAT_EQ(apply.curve.samples[2], 1.0f);

    ProcessCurvesDlg reset = Dialog({0.3f, 0.3f, 0.9f, 0.1f, 0.0f});
    reset.OnReset();
    EXPECT_EQ(reset.curve.samples, std::vector<float>({0.0f, 0.25f, 0.5f, 0.75f, 1.0f}));
    reset.OnInvert();
    EXPECT_EQ(reset.curve.samples, std::vector<float>({1.0f, 0.75f, 0.5f, 0.25f, 0.0f}));

    ProcessCurvesDlg flat = Dialog({0.4f, 0.4f});
    flat.OnNormalize();
    EXPECT_EQ(flat.curve.samples, std::vector<float>({0.0f, 0.0f}));

    ProcessCurvesDlg limits = Dialog({0.0f, 1.0f});
    limits.worldLowest = -5.0f;
    limits.worldHighest = 9.0f;
    limits.OnWorldAltitude();
    EXPECT_EQ(limits.lower, -5.0f);
    EXPECT_EQ(limits.upper, 9.0f);
    EXPECT_EQ(ProcessCurvesDlg::HiddenControls().size(), 7u);
}

TEST(ProcessCurvesDlg, SaveAndLoadRememberThePath)
{
    const fs::path path = fs::temp_directory_path() / ("kv_curves_dialog_" + std::to_string(::getpid()) + ".remap");
    Chooser chooser;
    chooser.answer = path.string();
    ProcessCurvesDlg dialog = Dialog({0.0f, 0.25f, 1.0f}, 5, 5);
    ASSERT_TRUE(dialog.OnSave(chooser));
    EXPECT_EQ(chooser.requests[0].title, "Save Remap File");
    EXPECT_EQ(chooser.requests[0].defaultExtension, "remap");
    EXPECT_EQ(chooser.requests[0].filter, "Altitude Remap Files (*.remap)|*.remap|All Files (*.*)|*.*||");

    ProcessCurvesDlg other = Dialog({0.5f}, 5, 5);
    ASSERT_TRUE(other.OnLoad(chooser));
    EXPECT_EQ(chooser.requests[1].title, "Open Remap File");
    EXPECT_TRUE(chooser.requests[1].mustExist);
    EXPECT_EQ(chooser.requests[1].initialPath, path.string());
    EXPECT_EQ(other.curve.samples, std::vector<float>({0.0f, 0.25f, 1.0f}));
    ProcessCurvesDlg wider = Dialog({0.5f}, 6, 5);
    ASSERT_TRUE(wider.OnLoad(chooser));
    EXPECT_EQ(wider.curve.Count(), 4); // resampled to the box
    chooser.ok = false;
    EXPECT_FALSE(other.OnLoad(chooser));
    fs::remove(path);
}

TEST(MoundDialogs, ProfileEditorWorksOnACopy)
{
    CMoundEditDlg mound;
    EXPECT_EQ(mound.maximum, 10.0f);
    ASSERT_EQ(CMoundEditDlg::OperationItems().size(), 7u);
    EXPECT_EQ(CMoundEditDlg::OperationItems()[4].first, "Divide");
    bool limitsShown = true;
    EXPECT_FALSE(mound.OnEditProfile([&](ProcessCurvesDlg& d) {
        limitsShown = d.showLimits;
        d.curve.samples = {0.5f};
        return false;
    }));
    EXPECT_FALSE(limitsShown);
    EXPECT_EQ(mound.profile.Count(), 2); // cancelled
    EXPECT_TRUE(mound.OnEditProfile([](ProcessCurvesDlg& d) { return d.curve.samples = {0.5f}, true; }));
    EXPECT_EQ(mound.profile.samples, std::vector<float>({0.5f}));
}

TEST(MoundDialogs, MoundtainRanges)
{
    struct Case {
        int contract;
        float feather;
        int control;
    };
    const Case cases[] = {{1, 0.0f, 0}, {64, 1000.0f, 0}, {0, 5.0f, 5089}, {65, 5.0f, 5089},
                          {3, -0.5f, 5134}, {3, 1000.5f, 5134}, {3, NAN, 5134}};
    for (const Case& c : cases) {
        CMoundtainSettingsDlg dialog;
        dialog.contract = c.contract;
        dialog.feather = c.feather;
        std::string message;
        int control = -1;
        EXPECT_EQ(dialog.Validate(message, control), c.control == 0) << c.contract << " " << c.feather;
        EXPECT_EQ(control, c.control);
        EXPECT_EQ(message.empty(), c.control == 0);
    }
    EXPECT_EQ(CMoundSettingsDlg::MinLabel(false), "Min (ft):");
    EXPECT_EQ(CMoundSettingsDlg::MaxLabel(true), "Max (m):");
}

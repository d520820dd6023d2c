// The values of the three mound dialogs and of the Incise Flow dialog, as logic without a
// window: the window fills its controls from these records and writes them back; the
// callers fill them before and read them after OK.
#pragma once

#include "document/ProcessCurvesDlg.h"
#include "world/IncisedFlow.h"
#include "world/RemapCurve.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace kv {

// Runs the curve editor modally: true on OK.
using CurvesDialogRunner = std::function<bool(ProcessCurvesDlg& dialog)>;

// "Profiled Mound" (template 339).
class CMoundEditDlg {
public:
    static constexpr int kTemplate = 339;
    static constexpr int kMinimumEdit = 5681;
    static constexpr int kMaximumEdit = 5682;
    static constexpr int kNoiseEdit = 5687;
    static constexpr int kOperationCombo = 5688;
    static constexpr int kEditProfileButton = 5686;

    float minimum = 0.0f;
    float maximum = 10.0f;
    float noise = 0.0f;
    int operation = 0;
    RemapCurve profile;

    // The operation list, in order (text, item data).
    static std::vector<std::pair<std::string, int>> OperationItems();
    // "Edit Profile...": the curve editor on a copy of the profile with its limits
    // hidden; OK there copies the edited curve back. True on OK.
    bool OnEditProfile(const CurvesDialogRunner& run);
};

// "Mound Settings" (template 602).
class CMoundSettingsDlg {
public:
    static constexpr int kTemplate = 602;
    static constexpr int kMinEdit = 5395;
    static constexpr int kMaxEdit = 5390;
    static constexpr int kReplaceCheck = 5460;
    static constexpr int kGammaEdit = 5209;

    float min = 0.0f;
    float max = 0.0f;
    bool replaceOffset = false;
    float gamma = 1.0f;

    // "Min (m):" and "Max (m):" in metric units, else "Min (ft):" and "Max (ft):".
    static std::string MinLabel(bool metric) { return metric ? "Min (m):" : "Min (ft):"; }
    static std::string MaxLabel(bool metric) { return metric ? "Max (m):" : "Max (ft):"; }
};

// "Moundtain Settings" (template 603).
class CMoundtainSettingsDlg {
public:
    static constexpr int kTemplate = 603;
    static constexpr int kContractEdit = 5089;
    static constexpr int kFeatherEdit = 5134;
    static constexpr int kGammaEdit = 5209;
    static constexpr int kMaxEdit = 5390;
    static constexpr int kMinEdit = 5395;
    static constexpr int kContractLow = 1, kContractHigh = 64;
    static constexpr float kFeatherLow = 0.0f, kFeatherHigh = 1000.0f;

    int contract = 1;
    float feather = 0.0f;
    float gamma = 1.0f;
    float max = 0.0f;
    float min = 0.0f;

    // True when every value lies in its range; else false with the range message and the
    // control to go back to (the dialog stays open).
    bool Validate(std::string& message, int& control) const;
};

// "Incise Flow" settings dialog.
class InciseFlowProcessDlg {
public:
    InciseFlowSettings settings;
    static constexpr const char* kBlurLabel = "Blur:";
    static constexpr const char* kBlurUnit = "sigma";
    static constexpr const char* kAmountLabel = "Amount:";
    static constexpr const char* kExponentLabel = "Flow Exponent:";
    static constexpr const char* kBlendLabel = "Effect Blend:";
    static constexpr const char* kBlendUnit = "0-1";
};

// What the commands remember between uses while the program runs.
InciseFlowSettings& RememberedInciseFlow();
CMoundEditDlg& RememberedProfiledMound();
struct RemapMemory {
    RemapCurve curve;        // the straight line until first changed
    float exponent = 1.0f;
    float lower = 0.0f;      // metres
    float upper = 0.0f;
    bool used = false;       // the first use takes the world's altitude range as limits
};
RemapMemory& RememberedRemap();

} // namespace kv

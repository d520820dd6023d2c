#include "document/MoundDialogs.h"

#include "base/color/LightParms.h"
#include "platform/CLocale.h"

#include <cmath>

namespace kv {

std::vector<std::pair<std::string, int>> CMoundEditDlg::OperationItems()
{
    std::vector<std::pair<std::string, int>> items;
    FillCombineModeCombo([&](const char* name, int code) { items.emplace_back(name, code); });
    return items;
}

bool CMoundEditDlg::OnEditProfile(const CurvesDialogRunner& run)
{
    if (!run)
        return false;
    ProcessCurvesDlg dialog;
    dialog.curve = profile;
    dialog.showLimits = false;
    if (!run(dialog))
        return false;
    profile = dialog.curve;
    return true;
}

bool CMoundtainSettingsDlg::Validate(std::string& message, int& control) const
{
    if (contract < kContractLow || contract > kContractHigh) {
        message = FormatC("Please enter an integer between %d and %d.", kContractLow, kContractHigh);
        control = kContractEdit;
        return false;
    }
    if (!(feather >= kFeatherLow && feather <= kFeatherHigh)) {
        message = FormatC("Please enter a number between %g and %g.", kFeatherLow, kFeatherHigh);
        control = kFeatherEdit;
        return false;
    }
    message.clear();
    control = 0;
    return true;
}

InciseFlowSettings& RememberedInciseFlow()
{
    static InciseFlowSettings settings;
    return settings;
}

CMoundEditDlg& RememberedProfiledMound()
{
    static CMoundEditDlg settings;
    return settings;
}

RemapMemory& RememberedRemap()
{
    static RemapMemory memory;
    return memory;
}

} // namespace kv

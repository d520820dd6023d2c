// Climate colour files (".clr" texts) from arbitrary bytes: whatever the text holds, the
// loaded list has one stop per climate class, and saving it writes a text that loads back
// to the same colours and saves to the same bytes.
#include "FuzzSupport.h"
#include "base/color/CColorList.h"
#include "base/color/ClimateParms.h"
#include "view/ClimateColorFile.h"

namespace {

// The default class colours as the writer writes them, and one changed colour.
void MakeSeeds(const fuzz::SeedWriter& out)
{
    kv::ClimateParms climate;
    out.Add("default.clr", kv::ClimateColorText(climate));
    kv::CColorList list;
    climate.GetClimateList(list);
    list.SetAt(3, kv::ColorOf(10, 20, 30));
    climate.SetClimateList(list);
    out.Add("changed.clr", kv::ClimateColorText(climate));
}

} // namespace

KV_FUZZ_SEEDS(MakeSeeds)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string in = fuzz::WriteScratch("in.clr", data, size);
    kv::CColorList list;
    const int taken = kv::LoadClimateColorFile(in, list);
    FUZZ_CHECK(taken >= 0);
    FUZZ_CHECK(list.GetSize() == kv::kClimateClassCount);
    for (int i = 0; i < list.GetSize(); ++i)
        FUZZ_CHECK((list.Stop(i).Color() & 0xFF000000u) == 0);

    kv::ClimateParms climate;
    climate.SetClimateList(list);
    const std::string out1 = fuzz::ScratchPath("1.clr"), out2 = fuzz::ScratchPath("2.clr");
    FUZZ_CHECK(kv::SaveClimateColorFile(out1, climate));
    kv::CColorList again;
    FUZZ_CHECK(kv::LoadClimateColorFile(out1, again) == kv::kClimateClassCount);
    for (int i = 0; i < kv::kClimateClassCount; ++i)
        FUZZ_CHECK(again.Stop(i).Color() == list.Stop(i).Color());
    climate.SetClimateList(again);
    FUZZ_CHECK(kv::SaveClimateColorFile(out2, climate));
    FUZZ_CHECK(fuzz::ReadWhole(out1) == fuzz::ReadWhole(out2));
    return 0;
}

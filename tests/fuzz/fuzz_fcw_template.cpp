// Drawing templates (FCW files given as a custom template). A template either fails the
// checks with a reason, or passes them, and then the layer lookup, the settings patch and
// the placement transform stay inside its bytes and keep its records' sizes.
#include "FuzzSupport.h"

#include "exchange/FCWBuiltins.h"
#include "exchange/FCWRecords.h"

using namespace kv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Bytes bytes(data, data + size);
    const std::string reason = fcw::CheckTemplate(bytes);
    if (!reason.empty())
        return 0;
    FUZZ_CHECK(fcw::CheckTemplateHeader(bytes).empty());
    for (const fcw::LayerName& layer : fcw::kLayers)
        fcw::FindLayer(bytes, layer.name);
    fcw::PatchSettings(bytes, 1234.0f, 987.0f);
    FUZZ_CHECK(bytes.size() == size);
    FUZZ_CHECK(fcw::CheckTemplate(bytes).empty());
    fuzz::Bytes placed;
    const std::size_t first = fcw::FirstRecord(bytes);
    fcw::TransformRecords(bytes.data() + first, bytes.size() - first, 3.0, 10.0, -5.0, 9, placed);
    FUZZ_CHECK(placed.size() == bytes.size() - first);
    return 0;
}

namespace {

void MakeSeeds(const fuzz::SeedWriter& seeds)
{
    seeds.Add("builtin.fcw", fcw::BuiltinTemplate());
    // The template with the title block and the border symbol placed after it.
    fuzz::Bytes withBlocks = fcw::BuiltinTemplate();
    withBlocks.insert(withBlocks.end(), fcw::TitleBlock().begin(), fcw::TitleBlock().end());
    withBlocks.insert(withBlocks.end(), fcw::BorderSymbol().begin(), fcw::BorderSymbol().end());
    seeds.Add("with-blocks.fcw", withBlocks);
    // The header and the settings records alone.
    fuzz::Bytes settings(fcw::BuiltinTemplate().begin(), fcw::BuiltinTemplate().begin() + 128);
    std::size_t at = 128;
    while (at < fcw::BuiltinTemplate().size() && fcw::BuiltinTemplate()[at + 4] == fcw::kSettings) {
        const uint32_t len = fcw::GetU32(fcw::BuiltinTemplate().data() + at);
        settings.insert(settings.end(), fcw::BuiltinTemplate().begin() + static_cast<std::ptrdiff_t>(at),
                        fcw::BuiltinTemplate().begin() + static_cast<std::ptrdiff_t>(at + len));
        at += len;
    }
    seeds.Add("settings-only.fcw", settings);
}

} // namespace

KV_FUZZ_SEEDS(MakeSeeds)

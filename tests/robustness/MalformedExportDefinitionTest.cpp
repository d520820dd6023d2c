// Export definitions cut short at every length, and drawing templates that are short,
// foreign or compressed: refused with their message, nothing written.
#include "base/MessageService.h"
#include "exchange/CExportWizard.h"
#include "exchange/ExportDefinitionFiles.h"
#include "exchange/FCWBuiltins.h"
#include "exchange/PW2Output.h"
#include "platform/Archive.h"

#include "OutsideTools.h"
#include "WorldFixtures.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using namespace kv;

TEST(MalformedExportDefinition, TruncatedDefinitionsAreNotEdited)
{
    ScratchFolder dir;
    MessageRecorder messages;
    PW2Output full;
    full.contours.Append(ContourDef());
    ASSERT_EQ(full.SaveToFile(dir / "Full.xpt"), 0);
    std::ifstream in(dir / "Full.xpt", std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_GT(bytes.size(), 100u);
    for (std::size_t cut = 0; cut + 1 < bytes.size(); cut += 7) {
        const std::vector<uint8_t> part(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut));
        WriteBytes(dir / "Cut.xpt", part);
        messages.texts.clear();
        EXPECT_LT(EditDefinition(dir.path.string(), "Cut"), 0) << cut;
        ASSERT_EQ(messages.texts.size(), 1u) << cut;
        std::ifstream again(dir / "Cut.xpt", std::ios::binary);
        EXPECT_EQ(std::vector<uint8_t>(std::istreambuf_iterator<char>(again), std::istreambuf_iterator<char>()), part);
    }
}

TEST(MalformedExportDefinition, TemplatesOfEveryShortLength)
{
    ScratchFolder dir;
    const std::vector<uint8_t>& head = fcw::SkyloomHead();
    for (std::size_t cut = 0; cut < 128; ++cut) {
        WriteBytes(dir / "t.fcw", std::vector<uint8_t>(head.begin(), head.begin() + static_cast<std::ptrdiff_t>(cut)));
        EXPECT_EQ(CheckWizardTemplate(dir / "t.fcw"), "Unable to read PW2 header") << cut;
    }
}

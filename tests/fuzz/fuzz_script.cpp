// World scripts (".ksr"), read by RunScriptFile and run on a small active document that is
// put back after every input. The file always runs to its end (0); every refused line has
// one of the interpreter's codes or a selection image result; the channel grids and the
// selection keep their size. Path separators in the input become "_" and the program works
// in its scratch folder, so that the script's image saves stay there.
#include "FuzzSupport.h"

#include "DocumentFixtures.h"
#include "document/CKVDoc.h"
#include "document/ScriptInterpreter.h"

#include <algorithm>

using namespace kv;

namespace {

// The document's world: 16 x 8 cells, enough for every command and quick to evaluate.
constexpr int kWorldWidth = 16;

struct Setup {
    Setup()
    {
        settings.WriteString("Settings", "Install", fuzz::ScratchDir().string());
        SetAppSettings(&settings);
        RegisterBuiltinSources();
        std::filesystem::current_path(fuzz::ScratchDir());
        doc.OnNewDocument();
        doc.GetWorld().SetResolution(kWorldWidth, false);
        doc.GetWorld().sourceParms.octaves = 2.0;
        RecalculateWorld(doc.GetWorld(), 16);
        pristine = doc.GetWorld();
        SetDocumentContext(&context);
    }
    struct Context : DocumentContext {
        CKVDoc* active = nullptr;
        CKVDoc* GetActiveDoc() override { return active; }
    };
    AppSettings settings;
    CKVDoc doc;
    SurfMap pristine;
    Context context;
};

Setup& Fixture()
{
    static Setup setup;
    setup.context.active = &setup.doc;
    return setup;
}

void MakeSeeds(const fuzz::SeedWriter& out)
{
    out.Add("tools", "# channel edits\ntool r o 100 -1e20 1e20\ntool l s 5 -3 200000\ntool c o 5\n"
                     "tool f t 300\ntool s r 2\ntool e\ntool rivers\ntool x q\n");
    out.Add("selection", "select a\nselect c 3\nselect f 1.5\nselect b 2\nselect t 100\nselect i\n"
                         "select e 1\nselect n\nselect q\n");
    out.Add("ranges", "select r a b r 100\nselect r r n a 10 200\nselect r t g s 280\nselect r a x r 1\n");
    out.Add("mounds_and_files", "select a\ntool m 0 500 yes 1.5\nselect s Mask.bmp\nselect l Mask.bmp add\n"
                                "tool f fill_lakes\ntool,r,o,1,\r\n// done");
}

} // namespace

KV_FUZZ_SEEDS(MakeSeeds)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Setup& setup = Fixture();
    CKVDoc& doc = setup.doc;
    doc.GetWorld() = setup.pristine;
    std::string text(reinterpret_cast<const char*>(data), size);
    std::replace(text.begin(), text.end(), '/', '_');
    std::replace(text.begin(), text.end(), '\\', '_');
    const std::string path = fuzz::WriteScratch("input.ksr", text);

    std::vector<ScriptLineResult> refused;
    FUZZ_CHECK(RunScriptFile(path, &refused) == 0);
    for (const ScriptLineResult& r : refused) {
        FUZZ_CHECK(r.line >= 1);
        FUZZ_CHECK(r.code == kScriptBadLine || r.code == kScriptBadTool || r.code == kScriptBadSelect ||
                   r.code == kScriptBadArgument || r.code == CSelection::kImageError || r.code == -2);
    }
    int w = 0, h = 0;
    FUZZ_CHECK(doc.GetGridSize(w, h) >= 0 && w == kWorldWidth && h == kWorldWidth / 2);
    FUZZ_CHECK(doc.GetSelection().GetWidth() == w && doc.GetSelection().GetHeight() == h);
    for (int channel = 0; channel < kChannelGridCount; ++channel) {
        const Grid2D* grid = doc.GetWorld().Channel(channel);
        FUZZ_CHECK(grid == nullptr || (grid->Width() == static_cast<std::size_t>(w) &&
                                       grid->Height() == static_cast<std::size_t>(h)));
    }
    return 0;
}

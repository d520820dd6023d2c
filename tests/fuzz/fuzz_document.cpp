// World document files (".kvw"), the view block included. A file either loads or raises the
// archive error; a refused file leaves the document as it stored before; what loaded stores,
// loads into another document and stores to the same bytes.
#include "FuzzSupport.h"

#include "ArchiveBytes.h"
#include "DocumentFixtures.h"
#include "document/CKVDoc.h"
#include "world/WorldData.h"

using namespace kv;

namespace {

struct Setup {
    Setup()
    {
        settings.WriteString("Settings", "Install", fuzz::ScratchDir().string());
        SetAppSettings(&settings);
        RegisterBuiltinSources();
        // Every load recalculates the world, whose statistics sample a map of their own.
        WorldData::SetSampledMapSize(8);
    }
    AppSettings settings;
};

// A document on a small world: a file that carries no grids keeps the size of the world it
// loads into, and every load recalculates that world, so the default size would make each
// such input cost as much as thousands of small ones.
constexpr int kSmallWorldWidth = 16;

CKVDoc& SmallDocument()
{
    auto* doc = new CKVDoc;
    doc->GetWorld().SetResolution(kSmallWorldWidth, false);
    return *doc;
}

constexpr int kMostPixellessOverlays = 4;

int PixellessOverlays(CKVDoc& doc)
{
    int count = 0;
    for (int i = 0; i < doc.GetOverlays().Count(); ++i)
        count += doc.GetOverlays().At(i)->HasPixels() ? 0 : 1;
    return count;
}

CKVDoc& Document()
{
    static Setup setup;
    static CKVDoc& doc = SmallDocument();
    return doc;
}

bool TryLoad(CKVDoc& doc, const fuzz::Bytes& bytes)
{
    try {
        LoadBytes(doc, bytes);
        return true;
    } catch (const CArchiveException&) {
        return false;
    }
}

void MakeSeeds(const fuzz::SeedWriter& out)
{
    CKVDoc& doc = Document();
    doc.OnNewDocument();
    PopulateDocument(doc);
    doc.GetWorld().sourceParms.octaves = 2.0;
    for (uint32_t version : {264u, 263u, 260u, 258u, 256u, 200u})
        out.Add("version_" + std::to_string(version), FileOfVersion(doc, version));
}

} // namespace

KV_FUZZ_SEEDS(MakeSeeds)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CKVDoc& doc = Document();
    const fuzz::Bytes before = StoreBytes(doc);
    if (!TryLoad(doc, fuzz::Bytes(data, data + size))) {
        FUZZ_CHECK(StoreBytes(doc) == before);
        return 0;
    }
    // Overlays of records older than the first with pixels keep the default 512 x 256 and
    // store every pixel: a few of them cover that path, hundreds only make the run slow
    // (and every later input would store them again).
    if (PixellessOverlays(doc) > kMostPixellessOverlays) {
        doc.GetOverlays().RemoveAll();
        return 0;
    }
    const fuzz::Bytes written = StoreBytes(doc);
    static CKVDoc& again = SmallDocument();
    FUZZ_CHECK(TryLoad(again, written));
    FUZZ_CHECK(StoreBytes(again) == written);
    ClearRunValues();
    return 0;
}

// The document's whole-world image, made with the off-screen image of this library, and
// the renderer the program installs from it.
#include "document/CKVDoc.h"
#include "projection/ProjectionParms.h"
#include "view/CRawImage.h"
#include "view/DocumentAdapter.h"
#include "view/WorldImageRenderers.h"
#include "world/SurfaceSampler.h"

namespace kv {

namespace {

constexpr int kEquirectangularId = 2;
constexpr double kWholeWorldScale = 0.5;

} // namespace

int CKVDoc::RenderWorldImage(int width, CRawImage& image, int height)
{
    // The first view's sampler, prepared first when it has none (else the document's own).
    SurfaceSampler* sampler = GetSampler();
    if (sampler == nullptr || width < 1)
        return -1;
    // The view's projection settings as Equirectangular at scale 0.5, centred: the image
    // renders through its own copy, so the view's sampler keeps its projection.
    ProjectionParms whole;
    if (sampler->Projection() != nullptr)
        whole = *sampler->Projection();
    whole.SetProjection(kEquirectangularId);
    whole.SetScale(kWholeWorldScale);
    whole.SetOffset(0.0, 0.0);

    DocumentAdapter self(*this);
    image.SetDocument(&self);
    image.SetSampler(sampler);
    image.SetProjection(&whole);
    image.SetSize(width, height < 0 ? width / 2 : height);
    const int result = image.Compute(nullptr, true, false) == 0 ? 0 : -1;
    if (result == 0)
        image.CopyEdgePixels();
    image.SetDocument(nullptr);
    return result;
}

int RawWorldImageRenderer::Render(CKVDoc& doc, int width, int height, VideoBuffer& image)
{
    CRawImage raw;
    if (doc.RenderWorldImage(width, raw, height) != 0 || raw.ColorBuffer().IsEmpty())
        return -1;
    image.Swap(raw.ColorBuffer());
    return 0;
}

} // namespace kv

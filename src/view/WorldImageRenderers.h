// The whole-world image the program installs for the document's exports (the globe
// layers): the document's equirectangular image made off screen with CRawImage.
#pragma once

#include "document/DocumentCommands.h"

namespace kv {

class RawWorldImageRenderer : public WorldImageRenderer {
public:
    int Render(CKVDoc& doc, int width, int height, VideoBuffer& image) override;
};

} // namespace kv

// The whole world saved as one picture: the equirectangular sphere map, or that picture
// cut into the unfolded net of an icosahedron; BMP, or JPEG at quality 85.
#pragma once

#include "exchange/ExportDialogs.h"

namespace kv {

class CKVDoc;

constexpr int kWorldImageJpegQuality = 85;

// The values both commands keep between uses in a run.
WorldImageSettings& WorldImageMemory();

// Renders the world at the settings' width (height width / 2), makes the net when asked,
// and writes `settings.path` cut at its extension plus ".bmp" (type 1) or ".jpg" (type 2).
// 0 written; -1 the render failed or was stopped (nothing written); -2 the net was
// refused; -3 the file could not be written ("Error writing file " + its path is shown).
// An abort during the remap still writes the picture.
int WriteWorldImage(CKVDoc& doc, const WorldImageSettings& settings, bool icosahedral);

// The commands: the dialog titled "Save Sphere Map Image" or "Save Icosahedral Image",
// then WriteWorldImage; Cancel changes nothing.
void SaveSphereMapCommand(CKVDoc& doc);
void SaveIcosahedralCommand(CKVDoc& doc);

// The VRML command: the dialog, then the scene and its texture (VRMLScene.h).
void ExportVRMLCommand(CKVDoc& doc);

} // namespace kv

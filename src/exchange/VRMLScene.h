// The whole world as a VRML scene: a textured sphere whose texture is a JPEG picture of
// the world written beside the scene.
#pragma once

#include <string>

namespace kv {

class CKVDoc;

constexpr int kVRMLTextureQuality = 75;

// The scene's text for a texture file name (without its folder); a '"' or '\' in the
// name is escaped so the url stays one string.
std::string VRMLSceneText(const std::string& textureName);
// Writes the scene text to `path` (beside the target, renamed over it): true on success.
bool WriteVRMLSceneFile(const std::string& path, const std::string& textureName);

// The document command's writer: renders the whole world `width` pixels wide (height
// half the width) through the document, writes base + ".jpg" at quality 75 and
// the scene base + ".wrl" (base: `path` without its extension). A failed render writes
// nothing; a texture that cannot be written is reported ("Error writing file " + its path)
// and no scene is written; a scene that cannot be written shows "Unable to write to file\n"
// followed by the base in double quotes. 0 on success, else negative.
int WriteVRMLScene(CKVDoc& doc, const std::string& path, int width);

} // namespace kv

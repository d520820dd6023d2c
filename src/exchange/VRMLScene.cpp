#include "exchange/VRMLScene.h"

#include "base/MessageService.h"
#include "exchange/ExportCommon.h"
#include "platform/AtomicFile.h"

#include <cstdio>

namespace kv {

namespace {

constexpr const char* kSceneLines[] = {
    "#VRML V2.0 utf8",
    "Background",
    "{",
    "skyColor [ 0.0 0.0 0.0 ]",
    "}",
    "Group",
    "{",
    "children",
    "[",
    "NavigationInfo { type [ \"EXAMINE\", \"ANY\" ] }",
    "Viewpoint",
    "{",
    "position 40,10,650",
    "fieldOfView 0.3",
    "}",
    "DEF CK TimeSensor",
    "{",
    "cycleInterval 1",
    "loop TRUE",
    "}",
    "DEF C Transform",
    "{",
    "translation 40 10 20",
    "children Shape",
    "{",
    "appearance Appearance",
    "{",
    "material DEF Bm Material",
    "{",
    "ambientIntensity 0.34641",
    "diffuseColor 1 1 1",
    "shininess 0.2",
    "}",
    "texture ImageTexture",
    "{",
    nullptr, // the url line
    "}",
    "}",
    "geometry Sphere",
    "{",
    "radius 80",
    "}",
    "}",
    "}",
    "]",
    "}",
};

} // namespace

std::string VRMLSceneText(const std::string& textureName)
{
    std::string escaped;
    for (char c : textureName) {
        if (c == '"' || c == '\\')
            escaped += '\\';
        escaped += c;
    }
    std::string text;
    for (const char* line : kSceneLines) {
        text += line != nullptr ? std::string(line) : "url \"" + escaped + "\"";
        text += '\n';
    }
    return text;
}

bool WriteVRMLSceneFile(const std::string& path, const std::string& textureName)
{
    AtomicFile file;
    if (!file.Open(path))
        return false;
    const std::string text = VRMLSceneText(textureName);
    if (std::fwrite(text.data(), 1, text.size(), file.File()) != text.size())
        return false;
    return file.Commit();
}

} // namespace kv

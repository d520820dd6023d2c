// The process-wide table of shaders, indexed by shader id.
//
// Made empty on first use (GetShaderRegistry); Init creates the ten shaders once per process;
// Destroy releases them (and the Lighting and Color sheet) and the next use makes a new, empty
// registry. The forwarding operations take the shader id first and answer a fixed default for
// an empty slot or an id outside 0..255, so callers never need to test for a shader.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shading/ShadeSample.h"
#include "shading/ShaderIds.h"
#include "shading/TexShader.h"

namespace kv {

class LightParms;
class ShaderWorld;

// Defaults of the forwarding operations for a missing shader.
constexpr uint32_t kMissingShaderColor = 0x00FF00;       // pure green
constexpr uint32_t kMissingShaderValueColor = 0xFF0000;  // pure blue (0x00BBGGRR)
constexpr int kMissingShaderFlags = -1;                  // every bit: the full climate
inline constexpr const char* kMissingShaderUnits = "Invalid Shader";

// The Lighting and Color sheet that the registry owns. The sheet itself is a window of the
// user interface; it plugs in through SetColoringSheetFactory.
class ColoringSheet {
public:
    virtual ~ColoringSheet() = default;
    // Shows or hides the window (the show command of the window system).
    virtual void Show(int showCommand) = 0;
    virtual bool IsVisible() const = 0;
    // Copies the active view's lighting into the sheet's working copy.
    virtual void LoadActiveViewLighting() = 0;
    // Copies the given lighting into the sheet's working copy.
    virtual void SetLighting(const LightParms& light) = 0;
    virtual void RefreshPages() = 0;
    // Destroys the window (the object is freed by the registry afterwards).
    virtual void DestroyWindow() = 0;
};

using ColoringSheetFactory = std::function<std::unique_ptr<ColoringSheet>()>;

class ShaderRegistry {
public:
    ShaderRegistry() = default;
    ~ShaderRegistry();
    ShaderRegistry(const ShaderRegistry&) = delete;
    ShaderRegistry& operator=(const ShaderRegistry&) = delete;

    // Creates the ten shaders in the order of their ids and hands every one the world and
    // the lighting. Does nothing once done: the shaders keep the pointers of the first call.
    void Init(ShaderWorld* world, LightParms* light);
    bool IsInitialised() const { return m_initialised; }

    uint32_t Shade(int id, const ShadeSample* sample) const;
    uint32_t ValueToColor(int id, float value) const;
    void GetRange(int id, float* low, float* high) const;
    void GetUnits(int id, std::string& units) const;
    float ToDisplayUnits(int id, float value) const;
    int GetFlags(int id) const;
    // Whether Init makes a shader for the id (known without a registry being initialised).
    static bool IsRegisteredId(int id);
    // Every id Init makes a shader for, lowest first.
    static std::vector<int> RegisteredIds();
    // The shader of an id; null before Init, for an empty slot or an id outside 0..255.
    TexShader* GetShader(int id) const;

    // The Lighting and Color sheet: created on the first show through the factory (nothing
    // happens while no factory is installed), shown or hidden, loaded from the active view
    // when visible.
    void ShowColoringSheet(int showCommand);
    bool IsColoringSheetVisible() const;
    void SetLighting(const LightParms* light);

    // Releases and frees every shader and the sheet, then the registry itself.
    static void Destroy();

private:
    void ReleaseShaders();

    std::array<std::unique_ptr<TexShader>, kShaderSlots> m_shaders{};
    bool m_initialised = false;
    std::unique_ptr<ColoringSheet> m_sheet;
};

// The registry, created empty on first use.
ShaderRegistry& GetShaderRegistry();

// Installs how the Lighting and Color sheet is made (by the user interface). An empty factory
// removes it.
void SetColoringSheetFactory(ColoringSheetFactory factory);
// Whether the user interface has installed one.
bool HasColoringSheetFactory();

} // namespace kv

#include "shading/ShaderRegistry.h"

#include <atomic>
#include <mutex>

#include "base/ServiceSlots.h"
#include "shading/Shaders.h"

namespace kv {

namespace {

// One line per shader, in the order of their ids.
struct ShaderEntry {
    int id;
    std::unique_ptr<TexShader> (*create)();
};

constexpr ShaderEntry kShaderTable[] = {
    {kShaderRaw, &CreateShader<Shader_raw>},
    {kShaderAltitude, &CreateShader<Shader_altitude>},
    {kShaderClimate, &CreateShader<Shader_climate>},
    {kShaderTemperature, &CreateShader<Shader_temperature>},
    {kShaderRainfall, &CreateShader<Shader_rainfall>},
    {kShaderGaia, &CreateShader<Shader_Gaia>},
    {kShaderImgClimate, &CreateShader<Shader_ImgClimate>},
    {kShaderNormalMap, &CreateShader<Shader_NormalMap>},
    {kShaderBumpMap, &CreateShader<Shader_BumpMap>},
    {kShaderTexClimate, &CreateShader<Shader_TexClimate>},
};

// The registry is read by render threads on every pixel: the pointer is published once and
// read without a lock; only its creation and destruction take the mutex.
std::atomic<ShaderRegistry*> g_registry{nullptr};
std::mutex g_registryMutex;

std::mutex g_sheetFactoryMutex;
ColoringSheetFactory& SheetFactory() {
    static ColoringSheetFactory factory;
    return factory;
}

} // namespace

ShaderRegistry& GetShaderRegistry() {
    ShaderRegistry* registry = g_registry.load(std::memory_order_acquire);
    if (registry != nullptr) {
        return *registry;
    }
    std::lock_guard<std::mutex> lock(g_registryMutex);
    registry = g_registry.load(std::memory_order_relaxed);
    if (registry == nullptr) {
        registry = new ShaderRegistry();
        g_registry.store(registry, std::memory_order_release);
    }
    return *registry;
}

void ShaderRegistry::Destroy() {
    std::lock_guard<std::mutex> lock(g_registryMutex);
    std::unique_ptr<ShaderRegistry> registry(g_registry.exchange(nullptr, std::memory_order_acq_rel));
    // The destructor closes the sheet and releases the shaders.
}

bool HasColoringSheetFactory() {
    std::lock_guard<std::mutex> lock(g_sheetFactoryMutex);
    return static_cast<bool>(SheetFactory());
}

void SetColoringSheetFactory(ColoringSheetFactory factory) {
    std::lock_guard<std::mutex> lock(g_sheetFactoryMutex);
    SheetFactory() = std::move(factory);
}

ShaderRegistry::~ShaderRegistry() {
    if (m_sheet) {
        m_sheet->DestroyWindow();
        m_sheet.reset();
    }
    ReleaseShaders();
}

void ShaderRegistry::ReleaseShaders() {
    if (!m_initialised) {
        return;
    }
    for (auto& shader : m_shaders) {
        if (shader) {
            shader->Release();
            shader.reset();
        }
    }
    m_initialised = false;
}

void ShaderRegistry::Init(ShaderWorld* world, LightParms* light) {
    if (m_initialised) {
        return;
    }
    m_initialised = true;
    for (auto& shader : m_shaders) {
        shader.reset();
    }
    for (const ShaderEntry& entry : kShaderTable) {
        m_shaders[static_cast<size_t>(entry.id)] = entry.create();
    }
    for (auto& shader : m_shaders) {
        if (shader) {
            shader->Init(world, light);
        }
    }
}

bool ShaderRegistry::IsRegisteredId(int id) {
    for (const ShaderEntry& entry : kShaderTable) {
        if (entry.id == id) {
            return true;
        }
    }
    return false;
}

std::vector<int> ShaderRegistry::RegisteredIds() {
    std::vector<int> ids;
    for (const ShaderEntry& entry : kShaderTable) {
        ids.push_back(entry.id);
    }
    return ids;
}

TexShader* ShaderRegistry::GetShader(int id) const {
    if (id < 0 || id >= kShaderSlots) {
        return nullptr;
    }
    return m_shaders[static_cast<size_t>(id)].get();
}

uint32_t ShaderRegistry::Shade(int id, const ShadeSample* sample) const {
    const TexShader* shader = GetShader(id);
    return shader != nullptr && sample != nullptr ? shader->Shade(sample) : kMissingShaderColor;
}

uint32_t ShaderRegistry::ValueToColor(int id, float value) const {
    const TexShader* shader = GetShader(id);
    return shader != nullptr ? shader->ValueToColor(value) : kMissingShaderValueColor;
}

void ShaderRegistry::GetRange(int id, float* low, float* high) const {
    float lo = 0.0f;
    float hi = 1.0f;
    if (const TexShader* shader = GetShader(id)) {
        shader->GetRange(&lo, &hi);
    }
    if (low != nullptr) {
        *low = lo;
    }
    if (high != nullptr) {
        *high = hi;
    }
}

void ShaderRegistry::GetUnits(int id, std::string& units) const {
    if (const TexShader* shader = GetShader(id)) {
        shader->GetUnits(units);
    } else {
        units = kMissingShaderUnits;
    }
}

float ShaderRegistry::ToDisplayUnits(int id, float value) const {
    const TexShader* shader = GetShader(id);
    return shader != nullptr ? shader->ToDisplayUnits(value) : value;
}

int ShaderRegistry::GetFlags(int id) const {
    const TexShader* shader = GetShader(id);
    return shader != nullptr ? shader->GetFlags() : kMissingShaderFlags;
}

void ShaderRegistry::ShowColoringSheet(int showCommand) {
    if (!m_sheet) {
        std::lock_guard<std::mutex> lock(g_sheetFactoryMutex);
        if (SheetFactory()) {
            m_sheet = SheetFactory()();
        }
    }
    if (!m_sheet) {
        return;
    }
    m_sheet->Show(showCommand);
    if (m_sheet->IsVisible()) {
        m_sheet->LoadActiveViewLighting();
        m_sheet->RefreshPages();
    }
}

bool ShaderRegistry::IsColoringSheetVisible() const {
    return m_sheet && m_sheet->IsVisible();
}

void ShaderRegistry::SetLighting(const LightParms* light) {
    if (m_sheet && light != nullptr) {
        m_sheet->SetLighting(*light);
        m_sheet->RefreshPages();
    }
}

namespace {

const ServiceSlotRegistration kColoringSheetFactorySlot("ColoringSheetFactory", [] { return HasColoringSheetFactory(); });

} // namespace

} // namespace kv

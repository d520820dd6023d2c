#include "exchange/ContourDef.h"

#include "base/ServiceSlots.h"
#include "platform/Archive.h"

#include <cmath>
#include <cstdio>

namespace kv {

namespace {

ContourStyleEditor* g_styleEditor = nullptr;

} // namespace

ContourStyleEditor* SetContourStyleEditor(ContourStyleEditor* editor)
{
    ContourStyleEditor* previous = g_styleEditor;
    g_styleEditor = editor;
    return previous;
}

void ContourDef::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kVersion << altitude << lineOn << lineColorAuto << lineColor << reserved1 << fillOn << fillColorAuto
           << fillColor << fillStyle << penWidth << labelOption1 << labelOption2;
        ar.WriteString(name);
        return;
    }
    int32_t version = 0;
    ar >> version;
    if (version != kVersion)
        return;
    // Read whole before anything is kept, so that a short block leaves the level as it was.
    ContourDef read;
    ar >> read.altitude >> read.lineOn >> read.lineColorAuto >> read.lineColor >> read.reserved1 >> read.fillOn >>
        read.fillColorAuto >> read.fillColor >> read.fillStyle >> read.penWidth >> read.labelOption1 >>
        read.labelOption2;
    read.name = ar.ReadStringAllowWide();
    *this = std::move(read);
}

int ContourDef::Edit()
{
    if (!g_styleEditor)
        return ContourStyleEditor::kCancel;
    ContourDef edited = *this;
    const int result = g_styleEditor->Edit(edited);
    if (result == ContourStyleEditor::kOk)
        CopyStyle(edited);
    return result;
}

void ContourDef::CopyStyle(const ContourDef& other)
{
    lineOn = other.lineOn;
    lineColorAuto = other.lineColorAuto;
    lineColor = other.lineColor;
    reserved1 = other.reserved1;
    fillOn = other.fillOn;
    fillColorAuto = other.fillColorAuto;
    fillColor = other.fillColor;
    fillStyle = other.fillStyle;
    penWidth = other.penWidth;
    labelOption1 = other.labelOption1;
    labelOption2 = other.labelOption2;
}

std::string PenWidthLabel(int width)
{
    const char* name = width < 15 ? "Hairline" : width < 65 ? "Thin" : width < 130 ? "Normal" : width < 205 ? "Thick"
                                                                                                           : "Heavy";
    char text[64];
    std::snprintf(text, sizeof text, "%s (%0.2f mm)", name, width * 0.01);
    return text;
}

void ContourList::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kVersion << static_cast<int32_t>(m_items.size());
        for (const auto& def : m_items)
            def->Serialize(ar);
        return;
    }
    Clear();
    int32_t version = 0;
    ar >> version;
    if (version != kVersion)
        return;
    int32_t count = 0;
    ar >> count;
    if (count < 0)
        CArchive::Throw(CArchiveException::badIndex, "contour list: negative count");
    ar.Require(static_cast<uint64_t>(count) * ContourDef::kMinArchiveBytes);
    m_items.reserve(static_cast<std::size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        auto def = std::make_unique<ContourDef>();
        def->Serialize(ar);
        m_items.push_back(std::move(def));
    }
}

int ContourList::Clear()
{
    const int n = Count();
    m_items.clear();
    return n;
}

void ContourList::Assign(const ContourList& other)
{
    if (&other == this)
        return;
    std::vector<std::unique_ptr<ContourDef>> copy;
    copy.reserve(other.m_items.size());
    for (const auto& def : other.m_items)
        copy.push_back(std::make_unique<ContourDef>(*def));
    m_items = std::move(copy);
}

int ContourList::InsertSorted(const ContourDef& def)
{
    auto it = m_items.begin();
    while (it != m_items.end() && !((*it)->altitude >= def.altitude))
        ++it;
    m_items.insert(it, std::make_unique<ContourDef>(def));
    return 0;
}

void ContourList::Append(const ContourDef& def)
{
    m_items.push_back(std::make_unique<ContourDef>(def));
}

int ContourList::FindLevel(double altitude, double tolerance, int start) const
{
    if (start < 0)
        return -1;
    if (tolerance < 0.0)
        tolerance = 0.01;
    for (int i = start; i < Count(); ++i)
        if (std::fabs(m_items[static_cast<std::size_t>(i)]->altitude - altitude) <= tolerance)
            return i;
    return -1;
}

int ContourList::RemoveRange(double low, double high)
{
    const std::size_t before = m_items.size();
    std::erase_if(m_items, [&](const auto& def) { return low <= def->altitude && def->altitude <= high; });
    return static_cast<int>(before - m_items.size());
}

int ContourList::RemoveSteps(double from, double to, double step, double tolerance)
{
    auto nearStep = [&](double altitude) {
        if (!(step > 0.0))
            return std::fabs(altitude - from) <= tolerance;
        // The steps nearest the altitude decide; a step beyond `to` does not count.
        const double k = std::floor((altitude - from) / step);
        for (double j : {k - 1.0, k, k + 1.0, k + 2.0}) {
            if (j < 0.0)
                continue;
            const double level = from + j * step;
            if (level <= to && std::fabs(altitude - level) <= tolerance)
                return true;
        }
        return false;
    };
    const std::size_t before = m_items.size();
    std::erase_if(m_items, [&](const auto& def) { return nearStep(def->altitude); });
    return static_cast<int>(before - m_items.size());
}

bool ContourList::SameValues(const ContourList& other) const
{
    if (m_items.size() != other.m_items.size())
        return false;
    for (std::size_t i = 0; i < m_items.size(); ++i)
        if (!(*m_items[i] == *other.m_items[i]))
            return false;
    return true;
}

namespace {

const ServiceSlotRegistration kContourStyleEditorSlot("ContourStyleEditor", [] { return g_styleEditor != nullptr; });

} // namespace

} // namespace kv

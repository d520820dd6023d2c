// Shared set-up of the world document tests: settings whose install folder is a scratch
// folder (so "Default.srf" goes there), the built-in noise sources, a fresh first-document
// flag and run values, and recorders of the hints a document sends.
#pragma once

#include "WorldFixtures.h"
#include "base/AppSettings.h"
#include "base/DisplayUnits.h"
#include "platform/Archive.h"
#include "base/ViewHooks.h"
#include "document/CKVDoc.h"
#include "document/DocumentContext.h"

#include <filesystem>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

// A scratch folder that holds the document's "Default.srf" while the object lives.
struct DocumentEnvironment {
    DocumentEnvironment()
    {
        static int counter = 0;
        folder = std::filesystem::temp_directory_path() /
                 ("kv_doc_" + std::to_string(getpid()) + "_" + std::to_string(++counter));
        std::filesystem::create_directories(folder);
        settings.WriteString("Settings", "Install", folder.string());
        settings.WriteString("Settings", "ProfileDir", (folder / "profile").string());
        m_previous = kv::SetAppSettings(&settings);
        kv::ClearRunValues();
        kv::CKVDoc::SetFirstDocument(true);
        RegisterBuiltinSources();
    }
    ~DocumentEnvironment()
    {
        kv::ClearRunValues();
        kv::SetAppSettings(m_previous);
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    std::string DefaultParms() const { return (folder / "Default.srf").string(); }

    std::filesystem::path folder;
    kv::AppSettings settings;

private:
    const kv::AppSettings* m_previous = nullptr;
};

// Records the hints sent to documents' views while installed.
struct HintRecorder : kv::ViewHooks {
    struct Sent {
        const void* document;
        int hint;
        const kv::HintObject* object;
    };
    HintRecorder() { m_previous = kv::SetViewHooks(this); }
    ~HintRecorder() override { kv::SetViewHooks(m_previous); }
    int StopActiveViewRender() override { return 0; }
    int UpdateActiveDocViews(int hint) override { return kv::UpdateActiveDocViews(nullptr, hint, nullptr); }
    int UpdateDocumentViews(const void* document, const void*, int hint, const kv::HintObject* object) override
    {
        sent.push_back({document, hint, object});
        return 0;
    }
    std::vector<int> Hints() const
    {
        std::vector<int> hints;
        for (const Sent& s : sent)
            hints.push_back(s.hint);
        return hints;
    }
    std::vector<Sent> sent;

private:
    kv::ViewHooks* m_previous = nullptr;
};

// Makes a document the active one while installed.
struct ActiveDocument : kv::DocumentContext {
    explicit ActiveDocument(kv::CKVDoc* d) : doc(d) { m_previous = kv::SetDocumentContext(this); }
    ~ActiveDocument() override { kv::SetDocumentContext(m_previous); }
    kv::CKVDoc* GetActiveDoc() override { return doc; }
    kv::CKVDoc* doc;

private:
    kv::DocumentContext* m_previous = nullptr;
};

// The fields a file of version v holds, from what the document holds (version 264 is the
// document's own file).
inline std::vector<uint8_t> FileOfVersion(kv::CKVDoc& doc, uint32_t v)
{
    using kv::CArchive;
    std::vector<uint8_t> bytes;
    CArchive ar(bytes, CArchive::store);
    ar << v;
    if (v >= 256) {
        ar << doc.layerFlag << doc.headerValue2 << doc.headerValue3 << doc.headerValue4 << doc.headerValue5;
        ar << doc.headerSpacing1 << doc.headerSpacing2;
        if (v >= 257)
            ar << uint32_t(kv::MetricUnits.load());
        if (v >= 260)
            ar << uint32_t(kv::WorldSizeDisplay.load());
    }
    doc.GetWorld().Serialize(ar);
    doc.GetViewSettings().Serialize(ar, doc.GetWorld().climate);
    if (v >= 258) {
        ar << uint32_t(0);
        doc.GetSurface1().Serialize(ar);
        doc.GetSurface2().Serialize(ar);
    }
    if (v >= 259)
        doc.GetRectGrid().Serialize(ar);
    if (v >= 262)
        doc.GetOverlays().Serialize(ar);
    if (v >= 263)
        doc.GetRivers().Serialize(ar);
    if (v >= 264)
        ar << uint32_t(doc.GetRiversHidden() ? 1 : 0);
    return bytes;
}

// A small document with something in every member: a 16 x 8 world with a painted cell, a
// grid, an overlay, a river, saved views and view settings off their defaults.
inline void PopulateDocument(kv::CKVDoc& doc)
{
    using namespace kv;
    doc.layerFlag = 1;
    doc.headerValue2 = 2;
    doc.headerValue3 = 3;
    doc.headerValue4 = 4;
    doc.headerValue5 = 5;
    doc.headerSpacing1 = 12.5;
    doc.headerSpacing2 = 7.25;
    doc.GetWorld().SetResolution(16, false);
    doc.GetWorld().SetCellValue(3, 2, 0.5f, kChannelRainfall);
    RectInfo grid;
    grid.show = 1;
    grid.colour = 0x123456;
    grid.latSpacing = 15.0;
    doc.GetRectGrid().grids.push_back(grid);
    ImageOverlay* overlay = doc.GetOverlays().AddNamed("River Channels", 8, 4, true);
    overlay->Fill(0x80FF0000);
    RiverPath river;
    river.colour = 0xFF;
    river.level = 2;
    river.points = {{10.0, 20.0}, {11.0, 21.5}};
    doc.GetRivers().rivers.push_back(river);
    doc.SetRiversHidden(true);
    ViewSettings& view = doc.GetViewSettings();
    view.shaderId = 2;
    view.hatchIndex = 4;
    view.hatchColor = 0x00FF00;
    view.projection.SetProjection(kv::kMapSinusoidal);
    view.projection.SetCenter(30.0, 45.0);
    view.projection.SetScale(2.0);
    view.settings[0] = 7;
    CViewInfo info;
    info.name = "Pole";
    info.projectionName = "Sinusoidal";
    info.centerLatitude = 89.0;
    info.scale = 2.0;
    info.shaderId = 3;
    view.savedViews.Add(info);
    info.name = "Equator";
    view.savedViews.Add(info);
}

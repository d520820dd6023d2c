// Shared set-up of the world document tests: settings whose install folder is a scratch
// folder (so "Default.srf" goes there), the built-in noise sources, a fresh first-document
// flag and run values, and recorders of the hints a document sends.
#pragma once

#include "WorldFixtures.h"
#include "base/AppSettings.h"
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
        settings.WriteString("Settings", "InstallDir", folder.string());
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

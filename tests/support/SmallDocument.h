// A new world document on small channel grids, made the active document, with recorders of
// its hints and messages; the undo list, the commands' remembered values and the abort
// value start clean. Shared by the document command and script tests.
#pragma once

#include "DocumentFixtures.h"

#include "base/Progress.h"
#include "base/Undo.h"
#include "document/DocumentCommands.h"
#include "document/DocumentServices.h"
#include "world/AltitudeGrid.h"

struct SmallDocument {
    explicit SmallDocument(int width = 64)
    {
        kv::GetUndoList().Clear();
        kv::DocCommandMemory::Reset();
        kv::g_abortValue.store(0);
        // A fixed seed: every small document is the same world.
        kv::SeedClock* previous = kv::SetSeedClock(&m_clock);
        doc.OnNewDocument();
        kv::SetSeedClock(previous);
        doc.GetWorld().SetResolution(width, false);
        RecalculateWorld(doc.GetWorld());
        doc.SetModifiedFlag(false);
        hints.sent.clear();
        messages.texts.clear();
    }
    ~SmallDocument() { kv::GetUndoList().Clear(); }

    kv::SurfMap& World() { return doc.GetWorld(); }
    kv::CSelection& Selection() { return doc.GetWorld().selection; }
    float* Cells(int channel) { return doc.GetWorld().Channel(channel)->DataAs<float>(); }
    int Width() const { return doc.GetWorld().gridWidth; }
    int Height() const { return doc.GetWorld().gridHeight; }

    // Selects the cells within `radius` cells of (col, row) fully.
    void SelectDisc(int col, int row, int radius)
    {
        kv::CSelection& s = Selection();
        s.Fill(0);
        for (int r = 0; r < s.GetHeight(); ++r)
            for (int c = 0; c < s.GetWidth(); ++c)
                if ((c - col) * (c - col) + (r - row) * (r - row) <= radius * radius)
                    s.SetAt(c, r, 255);
    }
    int SelectedCount() const
    {
        const kv::CSelection& s = doc.GetWorld().selection;
        int n = 0;
        for (int r = 0; r < s.GetHeight(); ++r)
            for (int c = 0; c < s.GetWidth(); ++c)
                n += s.GetAt(c, r) != 0;
        return n;
    }
    // The world's altitude at every cell, through the document's sampler.
    kv::Grid2DPtr Altitudes()
    {
        kv::Grid2DPtr grid = kv::Alloc2D(Width(), Height(), sizeof(float));
        kv::AltitudeGridProgress progress;
        kv::EvaluateAltitudeGrid(*doc.GetSampler(), *grid, progress);
        return grid;
    }

    struct FixedClock : kv::SeedClock {
        uint64_t Counter() const override { return 4242; }
    };
    FixedClock m_clock;
    DocumentEnvironment env;
    HintRecorder hints;
    MessageRecorder messages;
    kv::CKVDoc doc;
    ActiveDocument active{&doc};
};

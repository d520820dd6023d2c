// Shared helpers of the world surface and sampler tests.
#pragma once

#include "base/noise/CSourceDatabase.h"
#include "base/MessageService.h"
#include "base/ViewHooks.h"

#include <filesystem>
#include <string>
#include <vector>

// Registers the two built-in noise sources (a folder without libraries adds nothing else).
inline void RegisterBuiltinSources()
{
    kv::CSourceDatabase& db = kv::GetSourceDatabase();
    if (db.FindById(0) >= 0 && db.FindById(1) >= 0)
        return;
    std::filesystem::path empty = std::filesystem::temp_directory_path() / "kv-world-tests-no-plugins";
    std::filesystem::create_directories(empty);
    db.LoadSources(empty.string());
}

// Records the messages shown while it is installed.
struct MessageRecorder : kv::MessageService {
    MessageRecorder() { m_previous = kv::SetMessageService(this); }
    ~MessageRecorder() override { kv::SetMessageService(m_previous); }
    void Show(const std::string& text) override { texts.push_back(text); }
    std::vector<std::string> texts;

private:
    kv::MessageService* m_previous = nullptr;
};

// Records messages and Yes/No questions while it is installed, answering each question
// with `yes`.
struct QuestionRecorder : kv::MessageService {
    QuestionRecorder() { m_previous = kv::SetMessageService(this); }
    ~QuestionRecorder() override { kv::SetMessageService(m_previous); }
    void Show(const std::string& text) override { shown.push_back(text); }
    bool AskYesNo(const std::string& text) override
    {
        asked.push_back(text);
        return yes;
    }
    std::vector<std::string> shown, asked;
    bool yes = true;

private:
    kv::MessageService* m_previous = nullptr;
};

// Counts the view calls while it is installed.
struct ViewRecorder : kv::ViewHooks {
    ViewRecorder() { m_previous = kv::SetViewHooks(this); }
    ~ViewRecorder() override { kv::SetViewHooks(m_previous); }
    int StopActiveViewRender() override { return ++stops, 0; }
    int UpdateActiveDocViews(int hint) override { return hints.push_back(hint), 0; }
    int stops = 0;
    std::vector<int> hints;

private:
    kv::ViewHooks* m_previous = nullptr;
};

#include "base/Random.h"
#include "world/SurfMap.h"

#include <algorithm>

// What the document's recalculation does to a new world, in small: the generator seeded
// with the world seed, the basis created, the sea bias at the water percentile of a coarse
// sampling (`rows` latitudes by twice as many longitudes) and the two scale factors from
// its extremes.
inline void RecalculateWorld(kv::SurfMap& world, int rows = 48)
{
    RegisterBuiltinSources();
    kv::SRand(static_cast<uint32_t>(world.sourceParms.seed));
    world.seaBias = 0.0f;
    world.factorBelow = world.factorAbove = 1.0f;
    world.CreateFractalBasis();
    std::vector<double> values;
    const int cols = 2 * rows;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            values.push_back(world.EvaluateBasis(r * 180.0 / (rows - 1) - 90.0, c * 360.0 / (cols - 1) - 180.0));
    std::sort(values.begin(), values.end());
    const double bias = values[static_cast<size_t>(world.waterPercent / 100.0 * (values.size() - 1))];
    world.seaBias = static_cast<float>(bias);
    if (values.front() != bias)
        world.factorBelow = static_cast<float>(world.minAltitude / (values.front() - bias));
    if (values.back() != bias)
        world.factorAbove = static_cast<float>(world.maxAltitude / (values.back() - bias));
}

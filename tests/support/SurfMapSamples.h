// Worlds whose stored values all differ from the defaults, for the archive and text tests
// of the world surface and for the seeds of its malformed-input tests and fuzz corpora;
// and the world's parameter text written and read through a scratch file.
#pragma once

#include "base/text/CTokenizer.h"
#include "world/SurfMap.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <utility>

// Every value the archive and the parameter text store is moved away from its default;
// the grids are `width` x width / 2 with channel c holding c x 1000 + cell index, / 4.
inline void MakeUnusualWorld(kv::SurfMap& world, int width = 16)
{
    using namespace kv;
    world.prescaleEnabled = 1;
    world.SetResolution(width, false);
    for (int ch = 0; ch < kChannelGridCount; ++ch) {
        Grid2D* g = world.Channel(ch);
        for (size_t i = 0; g != nullptr && i < g->CellCount(); ++i)
            g->DataAs<float>()[i] = static_cast<float>(ch * 1000 + i) * 0.25f;
    }
    world.name = "Round trip";
    world.basisId = 1;
    world.sourceParms.seed = -42;
    world.sourceParms.H = 0.75;
    world.sourceParms.lacunarity = 2.25;
    world.sourceParms.octaves = 9;
    for (int i = 0; i < 8; ++i)
        world.sourceParms.extras[i] = i * 1.5 - 2;
    world.originX = 1.5;
    world.originY = 2.5;
    world.originZ = -3.5;
    world.scaleX = 1.25;
    world.scaleY = 3.25;
    world.scaleZ = 0.75;
    world.waterPercent = 55;
    world.shelfAltitude = -120;
    world.maxAltitude = 8000;
    world.minAltitude = -7000;
    world.circumference = 30000;
    world.shapingOn = 0;
    world.landSize = 2.5;
    world.surfaceType = kv::kSurfaceProceduralPlanar;
    world.secondSurfaceMode = 7;
    world.surface2.SetFileName("second.raw");
    for (int i = 0; i < ClimateParms::kModelDoubleCount; ++i)
        world.climate.SetModelDouble(i, 1.5 + i);
    CColorList classes;
    classes.FillSpectrum(0, 1, 20);
    world.climate.ClimateList() = classes;
    CColorList named;
    named.Add(1);
    named.Add(2);
    named.Stop(1).SetName("warm");
    world.climate.TemperatureList() = std::move(named);
    world.axisLongitude = 33;
    world.axisLatitude = -12;
    world.exponentAbove = 2;
    world.exponentBelow = 0.5;
    world.mirrorLatitude = 1;
    world.mirrorLongitude = 1;
    world.randomOrigin = 0;
    world.axisRotate = 0;
    world.axisShiftsGrids = 1;
    world.sphericalMapping = 0;
    world.rasterMode = 1;
}

// A file of this test process in a scratch folder, removed when the process ends (in
// memory where the system has such a folder: the malformed-input tests read thousands of
// texts).
inline std::string ParmsScratchPath(const std::string& name)
{
    struct Folder {
        std::filesystem::path path;
        Folder()
        {
            std::error_code ec;
            const std::filesystem::path shm = "/dev/shm";
            const auto base = std::filesystem::is_directory(shm, ec) ? shm : std::filesystem::temp_directory_path();
            path = base / ("kv_world_parms_" + std::to_string(getpid()));
            std::filesystem::create_directories(path);
        }
        ~Folder()
        {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    };
    static const Folder folder;
    return (folder.path / name).string();
}

// The "FracParms" block the world writes (empty when it could not be written).
inline std::string ParmsTextOf(const kv::SurfMap& world)
{
    char* buffer = nullptr;
    size_t length = 0;
    std::FILE* f = open_memstream(&buffer, &length);
    const kv::CTokenizer spelling;
    const int result = world.WriteParms(f, spelling);
    std::fclose(f);
    std::string text = result == 0 ? std::string(buffer, length) : std::string();
    std::free(buffer);
    return text;
}

// Reads `text` as a world parameter file into the world; ReadParms' result.
inline int ReadParmsText(kv::SurfMap& world, const std::string& text)
{
    const std::string path = ParmsScratchPath("read.srf");
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    return world.ReadParmsFile(path);
}

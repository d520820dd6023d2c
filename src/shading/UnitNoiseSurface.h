// A private noise field on the unit sphere: one noise source sampled at
// origin + scale x (cos lat cos lon, cos lat sin lon, sin lat).
//
// The Gaia shader keeps one to vary its ice line and vegetation. The source is bound once
// (Bind, on the user-interface thread); Evaluate works on a copy of the parameter block on the
// stack, so any number of threads may evaluate at once.
#pragma once

#include "base/noise/CSourceDatabase.h"
#include "base/noise/TexRecords.h"

namespace kv {

class UnitNoiseSurface {
public:
    // The parameter block of a default world: H 1.0, lacunarity 2.0, 13 octaves, seed 12345,
    // every octave, extras 1, 2, 0, 1, 1, 1, 1, 1; source 1; origin -10; scale 2.
    UnitNoiseSurface();

    // Source 1 (Brownian noise), the origin and the same scale on all three axes.
    void SetUnitBasis(double x, double y, double z, double scale);
    // Looks the source up in the process-wide noise-source registry. Returns true when found.
    bool Bind();

    // The noise value at a point (degrees); 0 while no source is bound.
    double Evaluate(double latitude, double longitude) const;

    int BasisId() const { return m_basisId; }
    const double* Origin() const { return m_origin; }
    const double* Scale() const { return m_scale; }
    const TexParms& Parms() const { return m_parms; }
    bool IsBound() const { return m_source != nullptr; }

private:
    TexParms m_parms{};
    int m_basisId = 0;
    double m_origin[3] = {-10.0, -10.0, -10.0};
    double m_scale[3] = {2.0, 2.0, 2.0};
    const CSourceDatabase::SourceEntry* m_source = nullptr;
};

} // namespace kv

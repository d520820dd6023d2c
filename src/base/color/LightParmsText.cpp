// The keyword text form of the lighting parameters.
#include <algorithm>
#include <cmath>
#include <string>

#include "platform/CLocale.h"
#include "base/text/CExpression.h"
#include "base/text/CTokenizer.h"
#include "base/color/LightParms.h"

namespace kv {

namespace {

// A name as one quoted token on one line: line breaks and other control characters would
// start new keyword lines when read back, so they become blanks; a name holding a double
// quote is quoted with apostrophes (and its apostrophes, if any, dropped to keep it one token).
std::string QuotedName(const std::string& text) {
    std::string clean;
    clean.reserve(text.size());
    for (char c : text) {
        clean.push_back(static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c);
    }
    if (clean.find('"') == std::string::npos) {
        return "\"" + clean + "\"";
    }
    clean.erase(std::remove(clean.begin(), clean.end(), '\''), clean.end());
    return "'" + clean + "'";
}

} // namespace

int LightParms::WriteText(std::FILE* file, const CTokenizer& tokenizer) const {
    if (file == nullptr) {
        return -1;
    }
    CLocaleScope cLocale;
    auto key = [&](int id) { return tokenizer.GetKeywordName(id); };
    auto writeInt = [&](int id, int value) { std::fprintf(file, "%-14s %d\n", key(id).c_str(), value); };
    // Every double reads back as written: a view whose lighting went through the file
    // renders exactly as before.
    auto writeDouble = [&](int id, double value, int decimals = 5) {
        std::fprintf(file, "%-14s %s\n", key(id).c_str(), FormatRoundTrip(value, decimals).c_str());
    };
    auto writeList = [&](int id, const CColorList& list) {
        std::fprintf(file, "\n%s ", key(id).c_str());
        list.WriteText(file, tokenizer);
    };

    std::fprintf(file, "%s\n", key(kw::LightParms).c_str());
    std::fprintf(file, "%-14s %s\n", key(kw::Name).c_str(), QuotedName(name).c_str());
    writeInt(kw::BitDepth, bitDepth);
    writeInt(kw::Colors, colors);
    writeInt(kw::Levels, levels);
    writeDouble(kw::Ambient, ambient);
    writeDouble(kw::Gamma, gamma);
    writeInt(kw::AltMode, altMode);
    writeDouble(kw::LandOpacity, landOpacity);
    writeDouble(kw::SeaLevel, seaLevel);
    writeDouble(kw::SeaLowest, seaLowest);
    writeDouble(kw::SeaSatMin, seaSatMin);
    writeDouble(kw::SeaSatMax, seaSatMax);
    writeDouble(kw::SeaOpacity, seaOpacity);
    writeInt(kw::SeaEqual, seaEqual);
    writeInt(kw::SeaFloat, seaFloat);
    writeDouble(kw::VertExag, vertExag);
    writeDouble(kw::Corner, corner);
    writeInt(kw::Unit, unit);
    writeDouble(kw::az, azimuth);
    writeDouble(kw::el, elevation);
    writeInt(kw::AbsColor, absColor);
    writeDouble(kw::AbsMin, absMin, 6);
    writeDouble(kw::AbsMax, absMax, 6);
    writeDouble(kw::IceNorth, iceNorth);
    writeDouble(kw::IceSouth, iceSouth);
    writeInt(kw::IceColor, iceColor);
    writeDouble(kw::IceOpacity, iceOpacity);
    writeInt(kw::BlendLat, blendLat);
    writeInt(kw::BlendAlt, blendAlt);
    writeInt(kw::BlendSlope, blendSlope);
    writeInt(kw::BlendFacing, blendFacing);
    writeDouble(kw::BlendLatVal, blendLatVal);
    writeDouble(kw::BlendAltVal, blendAltVal);
    writeDouble(kw::BlendSlopeVal, blendSlopeVal);
    writeDouble(kw::BlendFacingVal, blendFacingVal);
    writeDouble(kw::BlendFacingNDir, facingNorthDir);
    writeDouble(kw::BlendFacingNVal, facingNorthVal);
    writeDouble(kw::BlendFacingSDir, facingSouthDir);
    writeDouble(kw::BlendFacingSVal, facingSouthVal);
    writeInt(kw::FacingRelate, facingRelate);
    writeList(kw::AltColor, landColors);
    writeList(kw::SeaColor, seaColors);
    writeList(kw::NorthColor, northColors);
    writeList(kw::SouthColor, southColors);
    writeList(kw::SlopeColor, slopeColors);
    if (temperatureList != nullptr) {
        writeList(kw::TemperatureList, *temperatureList);
    }
    if (rainfallList != nullptr) {
        writeList(kw::RainfallList, *rainfallList);
    }
    if (climateList != nullptr) {
        writeList(kw::ClimateList, *climateList);
    }
    std::fprintf(file, "%s\n", key(kw::LightParmsEnd).c_str());
    return std::ferror(file) ? -1 : 0;
}

int LightParms::ReadText(CTokenizer& tokenizer) {
    ResetLight();
    name.clear();
    // A block may carry a climate list that nobody lent a list for: it is read and dropped.
    CColorList scratch;

    // A value that does not parse leaves the field as it was rather than storing the
    // evaluator's failure value. So does one that overflows ("1e400"): it would be written
    // back as "inf", which no reader takes for a number.
    auto readInt = [&](int& field) {
        tokenizer.NextToken();
        const int value = ReadExpressionInt(tokenizer);
        if (!ExpressionError()) {
            field = value;
        }
    };
    auto readDouble = [&](double& field) {
        tokenizer.NextToken();
        const double value = ReadExpressionDouble(tokenizer);
        if (!ExpressionError() && std::isfinite(value)) {
            field = value;
        }
    };
    // Returns false at the end of the input.
    auto readList = [&](CColorList* list) {
        tokenizer.NextToken();
        return (list != nullptr ? list : &scratch)->ReadText(tokenizer) == 0;
    };

    if (tokenizer.GetToken() == kw::LightParms) {
        tokenizer.NextToken();
    }
    int result = -1;
    for (bool reading = true; reading;) {
        switch (tokenizer.GetToken()) {
        case kTokEnd:
            reading = false;
            break;
        case kw::LightParmsEnd:
            tokenizer.NextToken();
            result = 0;
            reading = false;
            break;
        case kw::Name:
            tokenizer.NextToken();
            name = tokenizer.GetTokenText();
            tokenizer.NextToken();
            break;
        case kw::BitDepth: readInt(bitDepth); break;
        case kw::Colors: readInt(colors); break;
        case kw::Levels: readInt(levels); break;
        case kw::Ambient: readDouble(ambient); break;
        case kw::Gamma: readDouble(gamma); break;
        case kw::AltMode: readInt(altMode); break;
        case kw::LandOpacity: readDouble(landOpacity); break;
        case kw::SeaLevel: readDouble(seaLevel); break;
        case kw::SeaLowest: readDouble(seaLowest); break;
        case kw::SeaSatMin: readDouble(seaSatMin); break;
        case kw::SeaSatMax: readDouble(seaSatMax); break;
        case kw::SeaOpacity: readDouble(seaOpacity); break;
        case kw::SeaEqual: readInt(seaEqual); break;
        case kw::SeaFloat: readInt(seaFloat); break;
        case kw::VertExag: readDouble(vertExag); break;
        case kw::Corner: readDouble(corner); break;
        case kw::Unit: readInt(unit); break;
        case kw::az: readDouble(azimuth); break;
        case kw::el: readDouble(elevation); break;
        case kw::AbsColor: readInt(absColor); break;
        case kw::AbsMin: readDouble(absMin); break;
        case kw::AbsMax: readDouble(absMax); break;
        case kw::IceNorth: readDouble(iceNorth); break;
        case kw::IceSouth: readDouble(iceSouth); break;
        case kw::IceColor: readInt(iceColor); break;
        case kw::IceOpacity: readDouble(iceOpacity); break;
        case kw::BlendLat: readInt(blendLat); break;
        case kw::BlendAlt: readInt(blendAlt); break;
        case kw::BlendSlope: readInt(blendSlope); break;
        case kw::BlendFacing: readInt(blendFacing); break;
        case kw::BlendLatVal: readDouble(blendLatVal); break;
        case kw::BlendAltVal: readDouble(blendAltVal); break;
        case kw::BlendSlopeVal: readDouble(blendSlopeVal); break;
        case kw::BlendFacingVal: readDouble(blendFacingVal); break;
        case kw::BlendFacingNDir: readDouble(facingNorthDir); break;
        case kw::BlendFacingNVal: readDouble(facingNorthVal); break;
        case kw::BlendFacingSDir: readDouble(facingSouthDir); break;
        case kw::BlendFacingSVal: readDouble(facingSouthVal); break;
        case kw::FacingRelate: readInt(facingRelate); break;
        case kw::AltColor: reading = readList(&landColors); break;
        case kw::SeaColor: reading = readList(&seaColors); break;
        case kw::NorthColor: reading = readList(&northColors); break;
        case kw::SouthColor: reading = readList(&southColors); break;
        case kw::SlopeColor: reading = readList(&slopeColors); break;
        case kw::TemperatureList: reading = readList(temperatureList); break;
        case kw::RainfallList: reading = readList(rainfallList); break;
        case kw::ClimateList: reading = readList(climateList); break;
        default:
            tokenizer.NextToken();
            break;
        }
    }
    UpdateLightVector();
    return result;
}

} // namespace kv

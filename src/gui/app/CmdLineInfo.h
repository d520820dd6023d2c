// The program's command line.
//
// Options begin with "-" (always) or "/" (only before a known key or "default", so that
// absolute paths stay file names); a bare argument that begins with one of the keys is
// taken as that option too ("image=world.png"). Keys match ignoring case; values keep
// theirs. Every other argument is a file name.
#pragma once

#include <string>
#include <vector>

namespace kv {

struct CCmdLineInfo {
    static constexpr int kDefaultImageWidth = 384;
    static constexpr int kMinImageWidth = 4;

    bool parameterDefault = false; // "default": no placement or bar state this run
    std::string mdrPath;
    std::string bumpPath;
    std::string normalPath;
    std::string imagePath;
    int imageWidth = kDefaultImageWidth;
    bool hasParms = false;
    std::string parms;
    std::string startupFile;
    std::string colorFile;
    int colorType = -1;
    std::vector<std::string> files;
    // Options refused, each with its reason; a batch run reports them and fails.
    std::vector<std::string> errors;
    // Options that name no key; reported, otherwise ignored.
    std::vector<std::string> ignored;

    bool IsBatch() const
    {
        return !mdrPath.empty() || !bumpPath.empty() || !normalPath.empty() || !imagePath.empty();
    }

    // Takes one argument as given on the command line.
    void ParseParam(const std::string& argument);
    // Parses every argument in order.
    static CCmdLineInfo Parse(const std::vector<std::string>& arguments);

    // The largest batch image width whose half-height 32-bit image the bitmap accepts.
    static int MaxImageWidth();
};

} // namespace kv

#include "base/MessageService.h"
#include "base/layers/CISurf.h"
#include "exchange/BinaryImport.h"
#include "exchange/RasterHeader.h"

#include "ElevationFixtures.h"
#include "OutsideTools.h"

#include <gtest/gtest.h>

#include <cfloat>

using namespace kv;
using namespace elevation;

namespace {

// Answers the import's question and remembers it.
struct Answerer : MessageService {
    explicit Answerer(bool yes) : answer(yes) { m_previous = SetMessageService(this); }
    ~Answerer() override { SetMessageService(m_previous); }
    void Show(const std::string& text) override { shown.push_back(text); }
    bool AskYesNo(const std::string& text) override
    {
        asked.push_back(text);
        return answer;
    }
    bool answer;
    std::vector<std::string> shown, asked;

private:
    MessageService* m_previous = nullptr;
};

// What the user had typed before pressing the file button.
BinaryImportValues Typed()
{
    BinaryImportValues v = elevation::Entered();
    v.xStart = 3;
    v.yStart = 4;
    return v;
}

std::vector<uint8_t> With32(std::vector<uint8_t> b, size_t at, int32_t v)
{
    Put32(b, at, v);
    return b;
}

std::vector<uint8_t> With16(std::vector<uint8_t> b, size_t at, int16_t v)
{
    Put16(b, at, v);
    return b;
}

std::vector<uint8_t> Cut(std::vector<uint8_t> b, size_t size)
{
    b.resize(size);
    return b;
}

struct RecogniserCase {
    const char* name;
    std::vector<uint8_t> bytes;
    ImportFileKind kind;
    int sampleType;
    bool littleEndian;
    int32_t lineWidth;
    int32_t headerLength;
    int32_t width;
    int32_t height;
};

} // namespace

TEST(BinaryImport, RecognisersInTurn)
{
    const auto none = ImportFileKind::kNone;
    const BinaryImportValues typed = Typed();
    const RecogniserCase cases[] = {
        {"DTE, byte-order word 0", DteBytes(0), ImportFileKind::kDTE, 1, true, 200, 1024, 100, 50},
        {"DTE, byte-order word 1", DteBytes(1), ImportFileKind::kDTE, 1, false, 200, 1024, 100, 50},
        {"DTE, header only", DteBytes(0, 100, 50, 208), ImportFileKind::kDTE, 1, true, 200, 1024, 100, 50},
        {"DTE, 8 bits", With32(DteBytes(), 192, 8), none},
        {"DTE, 3 at 204", With16(DteBytes(), 204, 3), none},
        {"DTE, 2 at 206 missing", With16(DteBytes(), 206, 0), none},
        {"DTE, magic 0x80000000", With32(DteBytes(), 2, static_cast<int32_t>(0x80000000u)), none},
        {"DTE, 207 bytes", Cut(DteBytes(), 207), none},
        {"DTE, width 0", DteBytes(0, 0, 50), none},
        {"DTE, height -1", DteBytes(0, 100, -1), none},
        {"DTE, row past 32 bits", DteBytes(0, 0x40000000, 2, 1024), none},
        {"BMP, 8-bit 101 wide", BmpBytes(101, 3), ImportFileKind::kBMP, 0, false, 104, 1078, 101, 3},
        {"BMP, 24-bit", BmpBytes(101, 3, 24), none},
        {"BMP, top-down", BmpBytes(101, -3), none},
        {"BMP, compressed", With32(BmpBytes(), 30, 1), none},
        {"BMP, 53 bytes", Cut(BmpBytes(), 53), none},
        {"BMP, width 0", BmpBytes(0, 3), none},
        {"BMP, row past 32 bits", BmpBytes(0x7FFFFFFE, 1), none},
        {"BMP, pixel offset past 31 bits", With32(BmpBytes(), 10, -2), none},
        {"CRVL, 16-bit", CrvlBytes(8, 4, kCrvlSigned16), ImportFileKind::kCRVL, 1, true, 16, 1024, 8, 4},
        {"CRVL, float", CrvlBytes(8, 4, 0), ImportFileKind::kCRVL, 3, true, 32, 1024, 8, 4},
        {"CRVL, header only", Cut(CrvlBytes(), 1024), ImportFileKind::kCRVL, 1, true, 16, 1024, 8, 4},
        {"CRVL, 1023 bytes", Cut(CrvlBytes(), 1023), none},
        {"CRVL, width 0", CrvlBytes(0, 4), none},
        {"CRVL, height -4", CrvlBytes(8, -4), none},
        {"CRVL, row past 32 bits", CrvlBytes(0x40000000, 1, 0), none},
        {"empty file", {}, none},
    };
    ScratchFolder dir;
    Answerer noQuestion(false);
    for (const RecogniserCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir / "file.raw";
        WriteBytes(path, c.bytes);
        BinaryImportValues v = typed;
        EXPECT_EQ(ApplyChosenFile(v, path), c.kind);
        EXPECT_EQ(v.fileName, path);
        if (c.kind == none) {
            BinaryImportValues expected = typed;
            expected.fileName = path;
            EXPECT_EQ(v.sampleType, expected.sampleType);
            EXPECT_EQ(v.lineWidth, expected.lineWidth);
            EXPECT_EQ(v.headerLength, expected.headerLength);
            EXPECT_EQ(v.xStart, expected.xStart);
            EXPECT_EQ(v.width, expected.width);
            EXPECT_EQ(v.west, expected.west);
            continue;
        }
        EXPECT_EQ(v.sampleType, c.sampleType);
        EXPECT_EQ(v.littleEndian, c.littleEndian);
        EXPECT_TRUE(v.isSigned);
        EXPECT_EQ(v.lineWidth, c.lineWidth);
        EXPECT_EQ(v.headerLength, c.headerLength);
        EXPECT_EQ(v.width, c.width);
        EXPECT_EQ(v.height, c.height);
        EXPECT_EQ(v.xStart, 0);
        EXPECT_EQ(v.yStart, 0);
    }
    EXPECT_TRUE(noQuestion.asked.empty());
}

TEST(BinaryImport, EdgesOfEachKind)
{
    ScratchFolder dir;
    BinaryImportValues v;
    WriteBytes(dir / "a.dte", DteBytes());
    ASSERT_EQ(ApplyChosenFile(v, dir / "a.dte"), ImportFileKind::kDTE);
    EXPECT_EQ(v.west, -20.5);
    EXPECT_EQ(v.east, 40.25);
    EXPECT_EQ(v.south, -10.0);
    EXPECT_EQ(v.north, 15.75);

    v.west = v.east = v.north = v.south = 7.0;
    WriteBytes(dir / "a.bmp", BmpBytes());
    ASSERT_EQ(ApplyChosenFile(v, dir / "a.bmp"), ImportFileKind::kBMP);
    EXPECT_EQ(v.west, 0.0);
    EXPECT_EQ(v.north, 0.0);

    WriteBytes(dir / "a.mdr", CrvlBytes());
    ASSERT_EQ(ApplyChosenFile(v, dir / "a.mdr"), ImportFileKind::kCRVL);
    EXPECT_EQ(v.west, -30.0);
    EXPECT_EQ(v.east, 60.0);
    EXPECT_EQ(v.north, 45.0);
    EXPECT_EQ(v.south, -15.0);
}

TEST(BinaryImport, HeaderFileNames)
{
    EXPECT_EQ(HeaderFileName("/d/data.bin", ".HDR"), "/d/data.HDR");
    EXPECT_EQ(HeaderFileName("/d/data", ".HDR"), "/d/data.HDR");
    EXPECT_EQ(HeaderFileName("/d/.data", ".HDR"), "/d/.data.HDR");
    EXPECT_EQ(HeaderFileName("/d/v1.2/data", ".HDR"), "/d/v1.2/data.HDR");
    EXPECT_EQ(HeaderFileName("/d/v1.2/a.b.bin", ".hdr"), "/d/v1.2/a.b.hdr");
}

TEST(BinaryImport, HeaderFileBesideTheData)
{
    const std::string header = "BYTEORDER M\nLAYOUT BIL\nNROWS 200\nNCOLS 400\nNBITS 16\nTOTALROWBYTES 800\n"
                               "ULXMAP -10\nULYMAP 50\nXDIM 0.1\nYDIM 0.1\nNODATA -3.4e38\n";
    for (const char* ext : {".HDR", ".hdr"}) {
        SCOPED_TRACE(ext);
        ScratchFolder dir;
        WriteBytes(dir / "data.bin", std::vector<uint8_t>(400, 1));
        WriteText(dir / (std::string("data") + ext), header);
        Answerer yes(true);
        BinaryImportValues v = Typed();
        v.newValue = 5.0f;
        ASSERT_EQ(ApplyChosenFile(v, dir / "data.bin"), ImportFileKind::kHeaderFile);
        ASSERT_EQ(yes.asked, std::vector<std::string>{"An info file was found along with the data file.\nUse it?"});
        EXPECT_EQ(v.west, -10.0);
        EXPECT_EQ(v.east, 30.0);
        EXPECT_EQ(v.north, 50.0);
        EXPECT_EQ(v.south, 30.0);
        EXPECT_EQ(v.width, 400);
        EXPECT_EQ(v.height, 200);
        EXPECT_EQ(v.sampleType, BinaryImportValues::kTwoByte);
        EXPECT_EQ(v.lineWidth, 800);
        EXPECT_FALSE(v.littleEndian);
        EXPECT_TRUE(v.isSigned);
        EXPECT_EQ(v.headerLength, 0);
        EXPECT_EQ(v.xStart, 0);
        EXPECT_EQ(v.noData, -3.4e38f);
        EXPECT_TRUE(v.replace);
        EXPECT_EQ(v.newValue, 0.0f);
    }
}

TEST(BinaryImport, HeaderFileRefusedOrDeclined)
{
    struct Case {
        const char* name;
        std::string header;
        bool answer;
        bool asked;
    };
    const Case cases[] = {
        {"answer No", "NROWS 2\nNCOLS 3\n", false, true},
        {"no rows", "NCOLS 3\nNBITS 8\n", true, false},
        {"rows 0", "NROWS 0\nNCOLS 3\n", true, false},
        {"columns -3", "NROWS 2\nNCOLS -3\n", true, false},
        {"no key", "# nothing here\n", true, false},
        {"keys in other case", "nrows 2\nncols 3\n", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder dir;
        WriteBytes(dir / "data.bin", std::vector<uint8_t>(10, 1));
        WriteText(dir / "data.HDR", c.header);
        Answerer answerer(c.answer);
        BinaryImportValues v = Typed();
        EXPECT_EQ(ApplyChosenFile(v, dir / "data.bin"), ImportFileKind::kNone);
        EXPECT_EQ(answerer.asked.size(), c.asked ? 1u : 0u);
        EXPECT_EQ(v.width, Typed().width);
        EXPECT_EQ(v.lineWidth, Typed().lineWidth);
        EXPECT_EQ(v.noData, Typed().noData);
    }
}

TEST(RasterHeader, Dialects)
{
    struct Case {
        const char* name;
        std::string text;
        int keys;
        int32_t rows, columns, bits, totalRowBytes, bands;
        int32_t littleEndian;
        double upperLeftX, upperLeftY, xSize, noData;
        bool second;
    };
    const Case cases[] = {
        {"first dialect", "BYTEORDER I\nNROWS 20\nNCOLS 30\nNBITS 32\nTOTALROWBYTES 120\nULXMAP 1.25\n",
         6, 20, 30, 32, 120, 0, 1, 1.25, 0, 0, -9999, false},
        {"second dialect, s", "number_of_columns 100\ndata_representation s\ndata_byte_order b\n", 3, 0, 100, 16, 200,
         1, 0, 0, 0, 0, -9999, true},
        {"second dialect, grid size sets both", "grid_size 0.5\nleft_map_x -3\nupper_map_y 7\n", 3, 0, 0, 0, 0, 1, 0,
         -3, 7, 0.5, -9999, true},
        {"data_representation x counts not", "data_representation x\n", 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, -9999, true},
        {"equals signs and blanks", "  NROWS = 5\n=NCOLS==6\n", 2, 5, 6, 0, 0, 0, 0, 0, 0, 0, -9999, false},
        {"CR-only lines", "NROWS 5\rNCOLS 6\rXDIM 0.25\r", 3, 5, 6, 0, 0, 0, 0, 0, 0, 0.25, -9999, false},
        {"CR LF lines", "NROWS 5\r\nNCOLS 6\r\n", 2, 5, 6, 0, 0, 0, 0, 0, 0, 0, -9999, false},
        {"valueless keys", "NROWS\nNCOLS \nBYTEORDER\nNBITS 8\n", 2, 0, 0, 8, 0, 0, 1, 0, 0, 0, -9999, false},
        {"numbers that do not parse or fit", "NROWS x\nNCOLS 99999999999\nXDIM 1e999\nNBITS 16\n", 1, 0, 0, 16, 0,
         0, 0, 0, 0, 0, -9999, false},
        {"NODATA and coordinates in double precision", "NODATA -3.4e38\nULXMAP 0.1\n", 2, 0, 0, 0, 0, 0, 0, 0.1, 0,
         0, -3.4e38, false},
        {"long line then a pair", std::string(5000, 'x') + "\nNROWS 7\n", 1, 7, 0, 0, 0, 0, 0, 0, 0, 0, -9999,
         false},
        {"long value", "LAYOUT " + std::string(5000, 'B') + "\nNCOLS 4\n", 2, 0, 4, 0, 0, 0, 0, 0, 0, 0, -9999,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RasterHeader h;
        EXPECT_EQ(h.Parse(c.text), c.keys);
        EXPECT_EQ(h.rows, c.rows);
        EXPECT_EQ(h.columns, c.columns);
        EXPECT_EQ(h.bits, c.bits);
        EXPECT_EQ(h.totalRowBytes, c.totalRowBytes);
        EXPECT_EQ(h.bands, c.bands);
        EXPECT_EQ(h.littleEndian, c.littleEndian);
        EXPECT_EQ(h.upperLeftX, c.upperLeftX);
        EXPECT_EQ(h.upperLeftY, c.upperLeftY);
        EXPECT_EQ(h.xSize, c.xSize);
        EXPECT_EQ(h.noData, c.noData);
        EXPECT_EQ(h.secondDialect, c.second);
    }
    RasterHeader layout;
    layout.Parse("LAYOUT  BIL extra\n");
    EXPECT_EQ(layout.layout, "BIL extra");
    RasterHeader missing;
    EXPECT_EQ(missing.Read("/nonexistent/kv/data.HDR"), -1);
}

TEST(BinaryImport, HeaderWrittenByRasterTools)
{
    REQUIRE_TOOL("gdal_translate");
    ScratchFolder dir;
    // A 400 x 200 grid at 0.1 degrees with its lower-left corner at (-10, 30).
    std::string grid = "ncols 400\nnrows 200\nxllcorner -10\nyllcorner 30\ncellsize 0.1\nNODATA_value -500\n";
    for (int r = 0; r < 200; ++r) {
        for (int c = 0; c < 400; ++c)
            grid += std::to_string((r * 7 + c) % 300) + " ";
        grid += "\n";
    }
    WriteText(dir / "grid.asc", grid);
    for (const char* type : {"Int16", "Float32", "Byte"}) {
        SCOPED_TRACE(type);
        const ToolRun run = RunTool("gdal_translate -q -of EHdr -ot " + std::string(type) + " " + (dir / "grid.asc") +
                                    " " + (dir / (std::string(type) + ".bil")));
        ASSERT_EQ(run.status, 0) << run.err;
        Answerer yes(true);
        BinaryImportValues v;
        ASSERT_EQ(ApplyChosenFile(v, dir / (std::string(type) + ".bil")), ImportFileKind::kHeaderFile);
        const int bytes = std::string(type) == "Byte" ? 1 : (std::string(type) == "Int16" ? 2 : 4);
        EXPECT_EQ(v.sampleType, bytes == 1 ? 0 : (bytes == 2 ? 1 : 2));
        EXPECT_EQ(v.lineWidth, 400 * bytes);
        EXPECT_EQ(v.width, 400);
        EXPECT_EQ(v.height, 200);
        EXPECT_TRUE(v.littleEndian);
        // The tools give the centre of the upper-left cell, which the import takes as the
        // edges' corner.
        EXPECT_NEAR(v.west, -9.95, 1e-9);
        EXPECT_NEAR(v.north, 49.95, 1e-9);
        EXPECT_NEAR(v.east, 30.05, 1e-9);
        EXPECT_NEAR(v.south, 29.95, 1e-9);
        if (bytes > 1) {
            EXPECT_EQ(v.noData, -500.0f);
        }
    }
}

TEST(BinaryImport, SurfaceValuesRoundTrip)
{
    CISurf surface;
    BinaryImportValues v;
    v.fileName = "/d/elev.bin";
    v.sampleType = BinaryImportValues::kTwoByte;
    v.isSigned = false;
    v.littleEndian = false;
    v.lineWidth = 800;
    v.headerLength = 16;
    v.wrap = true;
    v.xStart = 2;
    v.yStart = 3;
    v.width = 40;
    v.height = 20;
    v.north = 50;
    v.west = -10;
    v.east = 30;
    v.south = 30;
    v.noData = -500.0f;
    v.replace = true;
    v.newValue = 1.0f;
    ValuesToSurface(v, surface);
    EXPECT_EQ(surface.GetSampleType(), CISurf::kUnsigned);
    EXPECT_EQ(surface.GetSampleSize(), 2);
    EXPECT_TRUE(surface.GetBigEndian());
    const BinaryImportValues back = ValuesFromSurface(surface);
    EXPECT_EQ(back.fileName, v.fileName);
    EXPECT_EQ(back.sampleType, v.sampleType);
    EXPECT_EQ(back.isSigned, v.isSigned);
    EXPECT_EQ(back.littleEndian, v.littleEndian);
    EXPECT_EQ(back.lineWidth, v.lineWidth);
    EXPECT_EQ(back.headerLength, v.headerLength);
    EXPECT_EQ(back.wrap, v.wrap);
    EXPECT_EQ(back.xStart, 2);
    EXPECT_EQ(back.yStart, 3);
    EXPECT_EQ(back.width, 40);
    EXPECT_EQ(back.height, 20);
    EXPECT_EQ(back.north, 50);
    EXPECT_EQ(back.west, -10);
    EXPECT_EQ(back.east, 30);
    EXPECT_EQ(back.south, 30);
    EXPECT_EQ(back.noData, -500.0f);
    EXPECT_TRUE(back.replace);
    EXPECT_EQ(back.newValue, 1.0f);

    v.sampleType = BinaryImportValues::kFloat;
    ValuesToSurface(v, surface);
    EXPECT_EQ(surface.GetSampleType(), CISurf::kFloat32);
    EXPECT_EQ(surface.GetSampleSize(), 4);
    EXPECT_EQ(ValuesFromSurface(surface).sampleType, BinaryImportValues::kFloat);
}

#include "base/FileList.h"
#include "exchange/ExportDefinitionChooser.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace kv;
namespace fs = std::filesystem;

TEST(ExportDefinitionChooser, ListsSortedNamesAndPreselects)
{
    const fs::path dir = fs::temp_directory_path() / ("kv_xpt_" + std::to_string(::getpid()));
    fs::create_directories(dir / "folder.xpt");
    for (const char* f : {"b.xpt", "A.XPT", "c.xpt.xpt", ".xpt", "notes.txt", "xpt"})
        std::ofstream(dir / f) << "x";
    const auto files = ListFilesWithExtension(dir.string(), "xpt");
    std::vector<std::string> names;
    for (const auto& f : files)
        names.push_back(f.name);
    // ".xpt" alone is no definition; "c.xpt.xpt" is cut at its first ".xpt".
    EXPECT_EQ(names, (std::vector<std::string>{"A", "b", "c"}));

    ExportDefinitionChoice c = ExportDefinitionChoice::List(dir.string(), "b");
    EXPECT_EQ(c.selected, 1);
    std::string chosen;
    ASSERT_TRUE(c.Chosen(chosen));
    EXPECT_EQ(chosen, "b");
    c = ExportDefinitionChoice::List(dir.string(), "B");
    EXPECT_EQ(c.selected, -1);
    EXPECT_FALSE(c.Chosen(chosen));
    fs::remove_all(dir);
    c = ExportDefinitionChoice::List(dir.string(), "b");
    EXPECT_TRUE(c.names.empty());
    EXPECT_EQ(ExportDefinitionChoice::Filter(), "Export Definition Files (*.xpt)|*.xpt||");
}

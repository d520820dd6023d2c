// File names of the saved-view export: every name stays inside the output folder.
#include "view/SavedViewExport.h"

#include <gtest/gtest.h>

using namespace kv;

TEST(ViewFileName, NamesStayInsideTheFolder)
{
    struct {
        const char* name;
        const char* file;
    } cases[] = {{"Coast", "Coast"}, {"v1.2", "v1.2"}, {"../../etc/x", ".._.._etc_x"}, {"..", "__"},
                 {".", "_"},         {"", "_"},         {"a\\b", "a_b"}};
    for (const auto& c : cases)
        EXPECT_EQ(ViewFileName(c.name), c.file) << c.name;
    EXPECT_EQ(ViewFileBase("/tmp/out", ".."), "/tmp/out/__");
    EXPECT_EQ(ViewFileBase("/tmp/out/", "A"), "/tmp/out/A");
}

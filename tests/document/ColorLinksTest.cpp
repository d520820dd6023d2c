// The colour link store: groups, links, the window's buttons and the archive.
#include "document/ColorLinks.h"
#include "platform/Archive.h"

#include "WorldFixtures.h"

#include <gtest/gtest.h>

using namespace kv;

namespace {

// Scripted editors and answers.
struct Script : ColorLinkEditors, MessageService {
    Script()
    {
        previousEditors = SetColorLinkEditors(this);
        previousMessages = SetMessageService(this);
    }
    ~Script() override
    {
        SetColorLinkEditors(previousEditors);
        SetMessageService(previousMessages);
        ColorLinks::DestroyInstance();
    }
    bool EditGroupName(std::string& name) override
    {
        if (names.empty())
            return false;
        name = names.front();
        names.erase(names.begin());
        return true;
    }
    bool EditLink(ColorLinkFields& fields, const std::function<bool(const ColorLinkFields&)>& accept) override
    {
        // Offers each scripted answer in turn until one is accepted.
        while (!linkAnswers.empty()) {
            ColorLinkFields f = fields;
            f.name = linkAnswers.front();
            linkAnswers.erase(linkAnswers.begin());
            f.link = target;
            if (accept(f))
                return true;
        }
        return false;
    }
    void Show(const std::string& text) override { messages.push_back(text); }
    bool AskYesNo(const std::string& text) override { return messages.push_back(text), yes; }

    std::vector<std::string> names, linkAnswers, messages;
    std::string target = "< No Link >";
    bool yes = true;
    ColorLinkEditors* previousEditors = nullptr;
    MessageService* previousMessages = nullptr;
};

} // namespace

TEST(ColorLinks, EmptyStoreAndButtonsWithoutASelection)
{
    Script s;
    ColorLinks& links = ColorLinks::GetInstance();
    const auto rows = links.TreeRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].name, "No Items");
    // With "No Items" selected every button does nothing, silently.
    links.RenameGroup(&rows[0]);
    links.DeleteGroup(&rows[0]);
    links.AddNewLink(&rows[0]);
    links.DeleteLink(&rows[0]);
    EXPECT_TRUE(s.messages.empty());
    // With nothing selected they say why.
    links.RenameGroup(nullptr);
    links.DeleteGroup(nullptr);
    links.AddNewLink(nullptr);
    links.DeleteLink(nullptr);
    EXPECT_EQ(s.messages, (std::vector<std::string>{"Please select a group before clicking rename",
                                                   "Please select a group before clicking delete",
                                                   "Please select a group",
                                                   "Please select a link before clicking delete"}));
    // No window factory: the window cannot be made.
    links.ShowWindow(true);
    EXPECT_EQ(s.messages.back(), "Severe problem creating the links window.\nPerhaps a system restart is in order?");
    EXPECT_FALSE(links.IsWindowVisible());
}

TEST(ColorLinks, GroupsLinksAndTheirMessages)
{
    Script s;
    ColorLinks& links = ColorLinks::GetInstance();
    s.names = {"Towns", "Rivers", "Towns"};
    links.AddNewGroup();
    links.AddNewGroup();
    links.AddNewGroup();
    ASSERT_EQ(links.groups.size(), 2u);
    EXPECT_EQ(s.messages.back(), "The group names must be unique in the list");

    auto rows = links.TreeRows();
    // A new link: an empty name keeps the editor open, a duplicate too; black, no link.
    s.linkAnswers = {"  Aston \t", "", "Aston", "Burley"};
    links.AddNewLink(&rows[0]);
    links.AddNewLink(&rows[0]);
    ASSERT_EQ(links.groups[0].links.size(), 2u);
    EXPECT_EQ(links.groups[0].links[0].name, "Aston");
    EXPECT_EQ(links.groups[0].links[0].color, 0u);
    EXPECT_EQ(s.messages[s.messages.size() - 2], "Please enter a name or click Cancel");
    EXPECT_EQ(s.messages.back(), "Link Names must be unique within a list");
    rows = links.TreeRows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[1].color, "000000");
    EXPECT_EQ(rows[1].target, "< No Link >");

    // Renaming to its own name does nothing and says nothing; onto another name refuses.
    const size_t before = s.messages.size();
    s.names = {"Towns"};
    links.RenameGroup(&rows[0]);
    EXPECT_EQ(s.messages.size(), before);
    s.names = {"Rivers"};
    links.RenameGroup(&rows[0]);
    EXPECT_EQ(s.messages.back(), "Group Names must be unique in the list");
    EXPECT_EQ(links.groups[0].name, "Towns");
    links.RenameGroup(&rows[1]);
    EXPECT_EQ(s.messages.back(), "That is not a group.\nPlease select group before clicking rename");

    // Editing a link (a double-click) sets its target; two links of one name lose the first.
    s.linkAnswers = {"Aston"};
    s.target = "aston.html";
    ASSERT_TRUE(links.EditLink(&rows[1]));
    EXPECT_EQ(links.TreeRows()[1].target, "aston.html");
    links.groups[0].links.push_back(links.groups[0].links[0]);
    links.groups[0].links.back().color = 0x123456;
    links.DeleteLink(&rows[0]);
    EXPECT_EQ(s.messages.back(), "Please select a link before cliking delete");
    links.DeleteLink(&rows[1]);
    ASSERT_EQ(links.groups[0].links.size(), 2u);
    EXPECT_EQ(links.groups[0].links[1].color, 0x123456u);

    // Deleting a group asks first (a link row means its group).
    s.yes = false;
    links.DeleteGroup(&rows[1]);
    EXPECT_EQ(s.messages.back(), "Remove Group Towns with 2 elements?");
    EXPECT_EQ(links.groups.size(), 2u);
    s.yes = true;
    links.DeleteGroup(&rows[1]);
    ASSERT_EQ(links.groups.size(), 1u);
    EXPECT_EQ(links.groups[0].name, "Rivers");
}

TEST(ColorLinks, ArchiveRoundTripAndDamagedRecords)
{
    Script s;
    ColorLinks& links = ColorLinks::GetInstance();
    links.groups.resize(2);
    links.groups[0].name = "A";
    links.groups[1].name = "B";
    ColorLinkEntry e;
    e.color = 0xFF563412;
    e.name = "x";
    e.targets = {"t.html", "u"};
    e.comments = {"c"};
    links.groups[1].links = {e, e};
    std::vector<uint8_t> bytes;
    {
        CArchive ar(bytes, CArchive::store);
        links.Serialize(ar);
    }
    // version, count, group A (version, name, count), group B ...
    ASSERT_GE(bytes.size(), 8u);
    EXPECT_EQ(bytes[0], 0x00);
    EXPECT_EQ(bytes[1], 0x01);
    EXPECT_EQ(bytes[4], 2);
    ColorLinks& again = links;
    const auto saved = links.groups;
    again.groups.clear();
    {
        CArchive ar(bytes.data(), bytes.size());
        again.Serialize(ar);
    }
    ASSERT_EQ(again.groups.size(), 2u);
    EXPECT_EQ(again.groups[1].links[1].targets, e.targets);
    EXPECT_EQ(again.groups[1].links[0].color, 0xFF563412u);
    EXPECT_EQ(again.TreeRows()[3].color, "123456");

    // Every truncation raises the archive error and keeps the store.
    for (size_t cut = 4; cut < bytes.size(); ++cut) {
        CArchive ar(bytes.data(), cut);
        EXPECT_THROW(again.Serialize(ar), CArchiveException) << cut;
        EXPECT_EQ(again.groups.size(), 2u);
    }
    // An inner version or an impossible count: the archive error.
    std::vector<uint8_t> bad = bytes;
    bad[8] = 7; // group A's version
    {
        CArchive ar(bad.data(), bad.size());
        EXPECT_THROW(again.Serialize(ar), CArchiveException);
    }
    bad = bytes;
    bad[7] = 0x7F; // group count 0x7F000002
    {
        CArchive ar(bad.data(), bad.size());
        EXPECT_THROW(again.Serialize(ar), CArchiveException);
    }
    // A top-level version other than 256 reads nothing.
    bad = bytes;
    bad[0] = 1;
    {
        CArchive ar(bad.data(), bad.size());
        again.Serialize(ar);
    }
    EXPECT_EQ(again.groups.size(), 2u);
}

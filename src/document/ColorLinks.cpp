#include "document/ColorLinks.h"

#include "base/MessageService.h"
#include "base/ServiceSlots.h"
#include "platform/Archive.h"
#include "platform/CLocale.h"

#include <atomic>

namespace kv {

namespace {

constexpr const char* kNoLink = "< No Link >";

class CancelEditors : public ColorLinkEditors {
public:
    bool EditGroupName(std::string&) override { return false; }
    bool EditLink(ColorLinkFields&, const std::function<bool(const ColorLinkFields&)>&) override { return false; }
};
CancelEditors g_cancel;
std::atomic<ColorLinkEditors*> g_editors{nullptr};
std::atomic<ColorLinksWindowFactory> g_windowFactory{nullptr};
std::unique_ptr<ColorLinks> g_store;

ColorLinkEditors& Editors()
{
    ColorLinkEditors* e = g_editors.load();
    return e ? *e : g_cancel;
}

std::string Trim(const std::string& s)
{
    const char* blanks = " \t\n\r";
    const size_t b = s.find_first_not_of(blanks);
    if (b == std::string::npos)
        return std::string();
    const size_t e = s.find_last_not_of(blanks);
    return s.substr(b, e - b + 1);
}

// Smallest stored sizes: a string is at least its one length byte.
constexpr uint64_t kMinGroupBytes = 4 + 1 + 4;
constexpr uint64_t kMinLinkBytes = 4 + 4 + 1 + 4 + 4;

uint32_t ReadCount(CArchive& ar, uint64_t minEach, const char* what)
{
    uint32_t n = 0;
    ar >> n;
    if (static_cast<uint64_t>(n) * minEach > ar.Remaining())
        CArchive::Throw(CArchiveException::badIndex, std::string("Impossible ") + what + " count in colour links");
    return n;
}

void ReadVersion(CArchive& ar)
{
    uint32_t v = 0;
    ar >> v;
    if (v != ColorLinks::kVersion)
        CArchive::Throw(CArchiveException::badSchema, "Unknown colour link record version");
}

std::vector<std::string> ReadStrings(CArchive& ar)
{
    const uint32_t n = ReadCount(ar, 1, "text");
    std::vector<std::string> out;
    out.reserve(n);
    for (uint32_t i = 0; i < n; ++i)
        out.push_back(ar.ReadString());
    return out;
}

void WriteStrings(CArchive& ar, const std::vector<std::string>& s)
{
    ar << static_cast<uint32_t>(s.size());
    for (const std::string& t : s)
        ar << t;
}

} // namespace

ColorLinkEditors* SetColorLinkEditors(ColorLinkEditors* editors) { return g_editors.exchange(editors); }
void SetColorLinksWindowFactory(ColorLinksWindowFactory factory) { g_windowFactory = factory; }

// ---------------------------------------------------------------- links and groups

std::string ColorLinkEntry::ColorText() const
{
    return FormatC("%02X%02X%02X", color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

std::string ColorLinkEntry::LinkText() const
{
    return targets.empty() || targets[0].empty() ? std::string(kNoLink) : targets[0];
}

ColorLinkFields ColorLinkFields::From(const ColorLinkEntry& e)
{
    ColorLinkFields f;
    f.name = e.name;
    f.color = e.color;
    f.link = e.targets.empty() ? std::string(kNoLink) : e.targets[0];
    f.comment = e.comments.empty() ? std::string() : e.comments[0];
    return f;
}

bool ColorLinkFields::Accept(const ColorLinkEntryList* group, ColorLinkEntry& entry) const
{
    const std::string trimmed = Trim(name);
    if (trimmed.empty()) {
        ShowMessage("Please enter a name or click Cancel");
        return false;
    }
    if (group && group->FindLink(trimmed)) {
        ShowMessage("Link Names must be unique within a list");
        return false;
    }
    entry.name = trimmed;
    entry.color = color;
    const std::string target = link == kNoLink ? std::string() : link;
    if (entry.targets.empty())
        entry.targets.push_back(target);
    else
        entry.targets[0] = target;
    if (entry.comments.empty())
        entry.comments.push_back(comment);
    else
        entry.comments[0] = comment;
    return true;
}

bool ColorLinkEntry::Edit(const ColorLinkEntryList* group)
{
    ColorLinkEntry copy = *this;
    ColorLinkFields fields = ColorLinkFields::From(copy);
    const bool ok = Editors().EditLink(fields, [&](const ColorLinkFields& f) { return f.Accept(group, copy); });
    if (ok)
        *this = copy;
    return ok;
}

bool ColorLinkEntryList::FindLink(const std::string& linkName) const
{
    for (const ColorLinkEntry& l : links)
        if (l.name == linkName)
            return true;
    return false;
}

bool ColorLinkEntryList::EditName()
{
    std::string edited = name;
    if (!Editors().EditGroupName(edited))
        return false;
    name = edited;
    return true;
}

// ---------------------------------------------------------------- the store

ColorLinks& ColorLinks::GetInstance()
{
    if (!g_store)
        g_store = std::make_unique<ColorLinks>();
    return *g_store;
}

void ColorLinks::DestroyInstance() { g_store.reset(); }

void ColorLinks::ShowWindow(bool show)
{
    if (!m_window) {
        ColorLinksWindowFactory factory = g_windowFactory.load();
        if (factory)
            m_window = factory();
        if (!m_window) {
            ShowMessage("Severe problem creating the links window.\nPerhaps a system restart is in order?");
            return;
        }
    }
    m_window->Show(show);
    if (m_window->IsVisible())
        m_window->Refill();
}

bool ColorLinks::IsWindowVisible() const { return m_window && m_window->IsVisible(); }

void ColorLinks::RefreshWindow()
{
    if (m_window)
        m_window->Refill();
}

bool ColorLinks::FindGroup(const std::string& groupName) const
{
    for (const ColorLinkEntryList& g : groups)
        if (g.name == groupName)
            return true;
    return false;
}

void ColorLinks::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kVersion << static_cast<uint32_t>(groups.size());
        for (const ColorLinkEntryList& g : groups) {
            ar << kVersion << g.name << static_cast<uint32_t>(g.links.size());
            for (const ColorLinkEntry& l : g.links) {
                ar << kVersion << l.color << l.name;
                WriteStrings(ar, l.targets);
                WriteStrings(ar, l.comments);
            }
        }
        return;
    }
    uint32_t version = 0;
    ar >> version;
    if (version != kVersion)
        return;
    std::vector<ColorLinkEntryList> read(ReadCount(ar, kMinGroupBytes, "group"));
    for (ColorLinkEntryList& g : read) {
        ReadVersion(ar);
        g.name = ar.ReadString();
        g.links.resize(ReadCount(ar, kMinLinkBytes, "link"));
        for (ColorLinkEntry& l : g.links) {
            ReadVersion(ar);
            ar >> l.color;
            l.name = ar.ReadString();
            l.targets = ReadStrings(ar);
            l.comments = ReadStrings(ar);
        }
    }
    groups = std::move(read);
}

std::vector<ColorLinks::Row> ColorLinks::TreeRows() const
{
    std::vector<Row> rows;
    for (size_t gi = 0; gi < groups.size(); ++gi) {
        const ColorLinkEntryList& g = groups[gi];
        rows.push_back(Row{static_cast<int>(gi), -1, g.name, "", ""});
        for (size_t li = 0; li < g.links.size(); ++li) {
            const ColorLinkEntry& l = g.links[li];
            rows.push_back(Row{static_cast<int>(gi), static_cast<int>(li), l.name, l.ColorText(), l.LinkText()});
        }
    }
    if (rows.empty())
        rows.push_back(Row{-1, -1, "No Items", "", ""});
    return rows;
}

void ColorLinks::AddNewGroup()
{
    ColorLinkEntryList group;
    if (!group.EditName())
        return;
    if (FindGroup(group.name)) {
        ShowMessage("The group names must be unique in the list");
        return;
    }
    groups.push_back(std::move(group));
    RefreshWindow();
}

void ColorLinks::RenameGroup(const Row* selected)
{
    if (IsNoItems(selected))
        return;
    if (!selected) {
        ShowMessage("Please select a group before clicking rename");
        return;
    }
    if (selected->link >= 0 || selected->group >= static_cast<int>(groups.size())) {
        ShowMessage("That is not a group.\nPlease select group before clicking rename");
        return;
    }
    ColorLinkEntryList& g = groups[static_cast<size_t>(selected->group)];
    std::string edited = g.name;
    if (!Editors().EditGroupName(edited) || edited == g.name)
        return;
    if (FindGroup(edited)) {
        ShowMessage("Group Names must be unique in the list");
        return;
    }
    g.name = edited;
    RefreshWindow();
}

void ColorLinks::DeleteGroup(const Row* selected)
{
    if (IsNoItems(selected))
        return;
    if (!selected) {
        ShowMessage("Please select a group before clicking delete");
        return;
    }
    if (selected->group >= static_cast<int>(groups.size())) {
        ShowMessage("That is not a group.\nPlease select group before clicking delete");
        return;
    }
    const std::string name = groups[static_cast<size_t>(selected->group)].name;
    const size_t count = groups[static_cast<size_t>(selected->group)].links.size();
    if (!AskYesNo(FormatC("Remove Group %s with %d elements?", name.c_str(), static_cast<int>(count))))
        return;
    for (auto it = groups.begin(); it != groups.end(); ++it) {
        if (it->name == name) {
            groups.erase(it);
            break;
        }
    }
    RefreshWindow();
}

void ColorLinks::AddNewLink(const Row* selected)
{
    if (IsNoItems(selected))
        return;
    if (!selected) {
        ShowMessage("Please select a group");
        return;
    }
    if (selected->group >= static_cast<int>(groups.size())) {
        ShowMessage("Something has gone horribly wrong!\nWhat you clicked is neither a link nor a list");
        return;
    }
    ColorLinkEntryList& g = groups[static_cast<size_t>(selected->group)];
    ColorLinkEntry link;
    if (!link.Edit(&g))
        return;
    g.links.push_back(std::move(link));
    RefreshWindow();
}

void ColorLinks::DeleteLink(const Row* selected)
{
    if (IsNoItems(selected))
        return;
    if (!selected) {
        ShowMessage("Please select a link before clicking delete");
        return;
    }
    if (selected->link < 0) {
        ShowMessage("Please select a link before cliking delete");
        return;
    }
    if (selected->group >= static_cast<int>(groups.size()))
        return;
    ColorLinkEntryList& g = groups[static_cast<size_t>(selected->group)];
    for (auto it = g.links.begin(); it != g.links.end(); ++it) {
        if (it->name == selected->name) {
            g.links.erase(it);
            break;
        }
    }
    RefreshWindow();
}

bool ColorLinks::EditLink(const Row* selected)
{
    if (!selected || selected->link < 0 || selected->group >= static_cast<int>(groups.size()))
        return false;
    ColorLinkEntryList& g = groups[static_cast<size_t>(selected->group)];
    if (selected->link >= static_cast<int>(g.links.size()))
        return false;
    return g.links[static_cast<size_t>(selected->link)].Edit(nullptr);
}

namespace {

const ServiceSlotRegistration kColorLinkEditorsSlot("ColorLinkEditors", [] { return g_editors.load() != nullptr; });
const ServiceSlotRegistration kColorLinksWindowFactorySlot("ColorLinksWindowFactory", [] { return g_windowFactory.load() != nullptr; });

} // namespace

} // namespace kv

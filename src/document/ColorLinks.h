// Colour links: colours painted on image overlays stand for named links (a name, a target
// file and a comment), kept in named groups. One store lives in memory for the whole run
// and belongs to no document; the "Color to Link Translation" window shows it as a tree.
//
// The window itself is the window side's (made through a factory); what its buttons do is
// here, as actions on the selected row, so the same logic runs with or without a window.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kv {

class CArchive;
class ColorLinkEntryList;

class ColorLinkEntry {
public:
    uint32_t color = 0; // 0x00BBGGRR; a new link is black
    std::string name;
    std::vector<std::string> targets;  // [0] is the link; empty: no link
    std::vector<std::string> comments; // [0] is the comment

    // Edits a copy through the link editor; true (and the copy taken over) on OK. With a
    // group, a name that group already holds keeps the editor open.
    bool Edit(const ColorLinkEntryList* group);
    std::string ColorText() const; // "RRGGBB"
    // The target, or "< No Link >" when there is none or it is empty.
    std::string LinkText() const;
};

class ColorLinkEntryList {
public:
    std::string name;
    std::vector<ColorLinkEntry> links;

    bool FindLink(const std::string& linkName) const;
    // Edits the name through the name editor; true (and the name stored) on OK.
    bool EditName();
};

// What the link editor shows and returns.
struct ColorLinkFields {
    std::string name;
    std::string link;
    std::string comment;
    uint32_t color = 0;

    static ColorLinkFields From(const ColorLinkEntry& entry);
    // The editor's OK: trims the name; an empty name or (with a group) one the group holds
    // already shows its message and returns false (the editor stays open); else stores
    // the fields into `entry` and returns true.
    bool Accept(const ColorLinkEntryList* group, ColorLinkEntry& entry) const;
};

// The editors the window side supplies; the defaults answer Cancel.
class ColorLinkEditors {
public:
    virtual ~ColorLinkEditors() = default;
    // The group name editor: true on OK with `name` changed in place.
    virtual bool EditGroupName(std::string& name) = 0;
    // The link editor on `fields`: calls accept(fields) on OK and closes only when it
    // returns true; true when it closed with OK.
    virtual bool EditLink(ColorLinkFields& fields, const std::function<bool(const ColorLinkFields&)>& accept) = 0;
};
ColorLinkEditors* SetColorLinkEditors(ColorLinkEditors* editors);

// The window the store shows (made on first use by the factory).
class ColorLinksWindow {
public:
    virtual ~ColorLinksWindow() = default;
    virtual void Show(bool show) = 0;
    virtual bool IsVisible() const = 0;
    virtual void Refill() = 0;
};
using ColorLinksWindowFactory = std::unique_ptr<ColorLinksWindow> (*)();
void SetColorLinksWindowFactory(ColorLinksWindowFactory factory);

class ColorLinks {
public:
    static constexpr uint32_t kVersion = 256;

    static ColorLinks& GetInstance();
    static void DestroyInstance();

    std::vector<ColorLinkEntryList> groups;

    // Shows (true) or hides the window, creating it on first use; without one the
    // message "Severe problem creating the links window..." and nothing else.
    void ShowWindow(bool show);
    bool IsWindowVisible() const;
    void RefreshWindow();
    bool FindGroup(const std::string& groupName) const;

    // Version 256 records all the way down. Loading reads into a new store and replaces
    // this one only when the whole record was read: a bad inner version or an impossible
    // count raises the archive error; a top-level version other than 256 reads nothing.
    void Serialize(CArchive& ar);

    // ---- the window's tree and buttons ----
    // One row of the tree: a group (link -1) or one of its links; "No Items" alone for
    // an empty store (group -1).
    struct Row {
        int group = -1;
        int link = -1;
        std::string name, color, target;
    };
    std::vector<Row> TreeRows() const;

    // The selected row (null: nothing selected). Each action shows the window's messages
    // through the message service and refills the window when it changed something.
    void AddNewGroup();
    void RenameGroup(const Row* selected);
    void DeleteGroup(const Row* selected);
    void AddNewLink(const Row* selected);
    void DeleteLink(const Row* selected);
    // A double-click: edits a link (no uniqueness check); true when it changed.
    bool EditLink(const Row* selected);

private:
    static bool IsNoItems(const Row* row) { return row && row->group < 0; }
    std::unique_ptr<ColorLinksWindow> m_window;
};

} // namespace kv

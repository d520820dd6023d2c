// The "New Document" wizard's pages without the window: which page follows which for a
// world kind, and the summary's title and text.
#pragma once

#include <string>

namespace kv {

enum NewWorldPage : int { kPageType = 0, kPageSynthetic = 1, kPageBinary = 2, kPageSummary = 3 };

// The Type page's Next for a kind: Synthetic World for 0, 5, 6; Binary Data for 4; -1 (the
// message below, stay) for any other.
int PageAfterType(int kind);
constexpr const char* kUnimplementedTypeMessage = "That type seems to be unimplemented\nPlease try again.";
// The Summary page's Back for a kind (Type for an unknown one).
int PageBeforeSummary(int kind);
// The Synthetic World page's title for a kind.
std::string ParametersTitle(int kind);
// The Summary's title and text (the colouring note included).
std::string SummaryTitle(int kind);
std::string SummaryText(int kind, const std::string& elevationPath);
// The kind of the Type page's checked button: Synthetic 0, Binary File 4, Planar 6,
// otherwise Flat 5.
int KindOfTypeButton(int button);
// Why the Binary Data page refuses Next: the first surface's description cannot be mapped
// (`mapResult`, one of CISurf's kMap codes other than kMapOk).
std::string UnmappableElevationMessage(int mapResult, const std::string& path);
// The colouring choice kept when the Binary Data page is left: 2 stays 2, else 1.
inline int ColouringAfterBinaryPage(int choice) { return choice == 2 ? 2 : 1; }

} // namespace kv

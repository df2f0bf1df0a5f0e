// The program's addresses on the web, in one table. The product website's host comes from the
// build (CMake cache variable QUORLIN_WEBSITE); the other addresses are set here.
#pragma once
#include <string_view>

#ifndef QUORLIN_WEBSITE_HOST
#error "QUORLIN_WEBSITE_HOST is set by the build from the CMake cache variable QUORLIN_WEBSITE"
#endif

namespace quorlin::website {

// The product website: its host (the settings window's link shows it), its root (the update
// check), the base of the usage reports (plain HTTP) and its feed.
inline constexpr std::wstring_view kHost = L"" QUORLIN_WEBSITE_HOST;
inline constexpr std::wstring_view kRoot = L"http://" QUORLIN_WEBSITE_HOST L"/";
inline constexpr std::string_view kReportBase = "http://" QUORLIN_WEBSITE_HOST "/ping/";
inline constexpr std::wstring_view kFeed = L"http://" QUORLIN_WEBSITE_HOST L"/feed/";

// The maker's website and its software page.
inline constexpr std::wstring_view kMaker = L"http://www.ventaris.example/";
inline constexpr std::wstring_view kMakerSoftware = L"http://www.ventaris.example/software/";

// The product's pages on social networks.
inline constexpr std::wstring_view kFacebookPage = L"https://facebook.example/quorlin";
inline constexpr std::wstring_view kGplusPage = L"https://plus.google.example/quorlin";
inline constexpr std::wstring_view kTwitterPage = L"https://twitter.example/quorlin";

// What a link control opens, by its Tag; any other Tag opens the website with the version.
struct LinkTarget {
    int Tag;
    std::wstring_view Address;
};
inline constexpr LinkTarget kLinkTargets[] = {
    {1, kFacebookPage}, {6, kGplusPage}, {2, kTwitterPage}, {3, kFeed}, {1977, kMaker}, {1992, kMakerSoftware},
};

}  // namespace quorlin::website

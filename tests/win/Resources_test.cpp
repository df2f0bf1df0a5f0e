// The resources linked into every binary: icons, key captions, version information and manifest.
// This test executable carries the same resource script as Quorlin.exe, so it reads its own.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/Language.h"
#include "base/Text_win.h"
#include "base/Unique_win.h"
#include "base/resource.h"
#include "version.h"

using namespace quorlin;

namespace {

HMODULE Self() { return GetModuleHandleW(nullptr); }

std::string_view ResourceBytes(const wchar_t* name, const wchar_t* type) {
    HRSRC info = FindResourceW(Self(), name, type);
    if (!info) return {};
    HGLOBAL data = LoadResource(Self(), info);
    const void* p = data ? LockResource(data) : nullptr;
    if (!p) return {};
    return {static_cast<const char*>(p), SizeofResource(Self(), info)};
}

// One icon's colour and mask as 32-bit top-down pixels (0xAARRGGBB), with its bitmap size.
struct IconImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> colour;
    std::vector<uint32_t> mask;  // the AND mask rendered to 32 bits: white where transparent

    int CountAlpha(uint8_t alpha) const {
        int n = 0;
        for (uint32_t px : colour) n += (px >> 24) == alpha;
        return n;
    }
};

std::vector<uint32_t> ReadPixels(HBITMAP bmp, int width, int height) {
    std::vector<uint32_t> px(static_cast<size_t>(width) * height);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    HDC dc = GetDC(nullptr);
    int lines = GetDIBits(dc, bmp, 0, height, px.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    if (lines != height) px.clear();
    return px;
}

IconImage ReadIcon(HICON icon) {
    IconImage out;
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return out;
    UniqueGdiObject colour(info.hbmColor);
    UniqueGdiObject mask(info.hbmMask);
    if (!info.hbmColor) return out;  // a monochrome icon is not what the program ships
    BITMAP bm{};
    if (GetObjectW(info.hbmColor, sizeof(bm), &bm) != sizeof(bm)) return out;
    out.width = bm.bmWidth;
    out.height = bm.bmHeight;
    out.colour = ReadPixels(info.hbmColor, bm.bmWidth, bm.bmHeight);
    out.mask = ReadPixels(info.hbmMask, bm.bmWidth, bm.bmHeight);
    return out;
}

UniqueIcon LoadIconAt(const wchar_t* name, int size) {
    return UniqueIcon(static_cast<HICON>(LoadImageW(Self(), name, IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

// The sizes stored in an icon group, read from the group directory and checked against the
// image each entry points to (so a size that is listed but stored differently is caught).
#pragma pack(push, 2)
struct GroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

std::set<int> StoredSizes(const wchar_t* group) {
    std::set<int> sizes;
    std::string_view dir = ResourceBytes(group, RT_GROUP_ICON);
    EXPECT_GE(dir.size(), 6u);
    if (dir.size() < 6) return sizes;
    WORD count = 0;
    std::memcpy(&count, dir.data() + 4, 2);
    EXPECT_EQ(dir.size(), 6u + count * sizeof(GroupEntry));
    for (WORD i = 0; i < count && 6 + (i + 1) * sizeof(GroupEntry) <= dir.size(); ++i) {
        GroupEntry e;
        std::memcpy(&e, dir.data() + 6 + i * sizeof(GroupEntry), sizeof(e));
        int size = e.width ? e.width : 256;
        EXPECT_EQ(e.bitCount, 32) << "size " << size;
        std::string_view image = ResourceBytes(MAKEINTRESOURCEW(e.id), RT_ICON);
        EXPECT_EQ(image.size(), e.bytes) << "size " << size;
        if (image.size() >= 24 && image.substr(0, 8) == "\x89PNG\r\n\x1a\n") {
            const auto* b = reinterpret_cast<const unsigned char*>(image.data());
            uint32_t w = (b[16] << 24) | (b[17] << 16) | (b[18] << 8) | b[19];
            uint32_t h = (b[20] << 24) | (b[21] << 16) | (b[22] << 8) | b[23];
            EXPECT_EQ(w, static_cast<uint32_t>(size));
            EXPECT_EQ(h, static_cast<uint32_t>(size));
        } else if (image.size() >= sizeof(BITMAPINFOHEADER)) {
            BITMAPINFOHEADER bih;
            std::memcpy(&bih, image.data(), sizeof(bih));
            EXPECT_EQ(bih.biWidth, size);
            EXPECT_EQ(bih.biHeight, 2 * size);  // colour and mask
            EXPECT_EQ(bih.biBitCount, 32);
            // Colour plus a 1-bit mask with rows padded to four bytes.
            EXPECT_EQ(image.size(), sizeof(bih) + size * size * 4u + size * ((size + 31) / 32 * 4u));
        } else {
            ADD_FAILURE() << "image " << e.id << " is neither PNG nor DIB";
        }
        sizes.insert(size);
    }
    return sizes;
}

TEST(Resources, IconGroupsHoldEverySizeAsA32BitImage) {
    EXPECT_EQ(StoredSizes(L"A"), (std::set<int>{16, 20, 24, 32, 40, 48, 64, 128, 160, 192, 256}));
    // The small-icon size at 96 to 192 DPI, and beyond.
    for (int id : {IDI_TRAY_ON, IDI_TRAY_OFF, IDI_TRAY_ON_LIGHT, IDI_TRAY_OFF_LIGHT})
        EXPECT_EQ(StoredSizes(MAKEINTRESOURCEW(id)), (std::set<int>{16, 20, 24, 28, 32, 40, 48})) << id;
    // The links' 16 pixels at 96 to 192 DPI.
    for (int id : {IDI_LINK_PAGE, IDI_LINK_CIRCLES, IDI_LINK_FOLLOW, IDI_LINK_FEED, IDI_LINK_BOOKMARK,
                   IDI_LINK_RECOMMEND})
        EXPECT_EQ(StoredSizes(MAKEINTRESOURCEW(id)), (std::set<int>{16, 20, 24, 28, 32})) << id;
}

TEST(Resources, ApplicationIconLoadsAtEachSizeWithTransparency) {
    for (int size : {16, 32, 128, 256}) {
        SCOPED_TRACE(size);
        UniqueIcon icon = LoadIconAt(L"A", size);
        ASSERT_TRUE(icon) << "LoadImageW error " << GetLastError();
        IconImage img = ReadIcon(icon.get());
        EXPECT_EQ(img.width, size);
        EXPECT_EQ(img.height, size);
        ASSERT_EQ(img.colour.size(), static_cast<size_t>(size) * size);
        // Rounded corners are see-through, the middle of the pad is solid.
        EXPECT_EQ(img.colour[0] >> 24, 0u);
        EXPECT_EQ(img.colour[size * (size / 3) + size / 3] >> 24, 0xFFu);
        EXPECT_GT(img.CountAlpha(0xFF), size * size / 2);
    }
    // The program's own call: the default-size icon by name.
    UniqueIcon byName(LoadIconW(Self(), L"A"));
    EXPECT_TRUE(byName);
}

TEST(Resources, TrayIconsAtSixteenPixelsAreDifferentPictures) {
    UniqueIcon on = LoadIconAt(MAKEINTRESOURCEW(IDI_TRAY_ON), 16);
    UniqueIcon off = LoadIconAt(MAKEINTRESOURCEW(IDI_TRAY_OFF), 16);
    ASSERT_TRUE(on);
    ASSERT_TRUE(off);
    IconImage a = ReadIcon(on.get());
    IconImage b = ReadIcon(off.get());
    ASSERT_EQ(a.width, 16);
    ASSERT_EQ(a.height, 16);
    ASSERT_EQ(b.width, 16);
    ASSERT_EQ(b.height, 16);
    ASSERT_EQ(a.colour.size(), 256u);
    ASSERT_EQ(b.colour.size(), 256u);

    // Clearly different: most of the opaque pixels change colour, not a few.
    int opaque = 0, differ = 0;
    for (size_t i = 0; i < a.colour.size(); ++i) {
        if ((a.colour[i] >> 24) == 0 && (b.colour[i] >> 24) == 0) continue;
        ++opaque;
        differ += a.colour[i] != b.colour[i];
    }
    EXPECT_GT(opaque, 100);
    EXPECT_GT(differ, opaque / 2);

    // Both are drawn with alpha and a matching mask: transparent pixels are masked out.
    for (const IconImage* img : {&a, &b}) {
        EXPECT_GT(img->CountAlpha(0), 0);
        ASSERT_EQ(img->mask.size(), img->colour.size());
        for (size_t i = 0; i < img->colour.size(); ++i) {
            if ((img->colour[i] >> 24) == 0) EXPECT_EQ(img->mask[i] & 0xFFFFFF, 0xFFFFFFu) << i;
            if ((img->colour[i] >> 24) == 0xFF) EXPECT_EQ(img->mask[i] & 0xFFFFFF, 0u) << i;
        }
    }
}

TEST(Resources, KeyCaptionsLoadFromTheStringTable) {
    struct Caption { UINT id; const wchar_t* text; };
    const Caption captions[] = {
        {65312, L"Alt+"},  {65328, L"Tab"},  {65329, L"Esc"},    {65330, L"Enter"}, {65331, L"Space"},
        {65332, L"PgUp"},  {65333, L"PgDn"}, {65334, L"End"},    {65335, L"Home"},  {65336, L"Left"},
        {65337, L"Up"},    {65338, L"Right"}, {65339, L"Down"},  {65340, L"Ins"},   {65341, L"Del"},
        {65342, L"Shift+"}, {65343, L"Ctrl+"}, {65359, L"BkSp"},
    };
    for (const Caption& c : captions) {
        wchar_t buf[64] = L"?";
        int n = LoadStringW(Self(), c.id, buf, 64);
        EXPECT_EQ(std::wstring(buf, n > 0 ? n : 0), c.text) << "id " << c.id;
    }
    // The named ids are the fixed numbers.
    EXPECT_EQ(IDS_KEY_ALT_PREFIX, 65312);
    EXPECT_EQ(IDS_KEY_TAB, 65328);
    EXPECT_EQ(IDS_KEY_CTRL_PREFIX, 65343);
    EXPECT_EQ(IDS_KEY_BKSP, 65359);
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR set) {
    reinterpret_cast<std::set<LANGID>*>(set)->insert(language);
    return TRUE;
}

// Every language has every block of strings (so one asked by language never falls to another
// language's) and every text English has, with the same placeholders.
TEST(Resources, EveryLanguageHasEveryTextWithItsPlaceholders) {
    auto placeholders = [](const std::wstring& text) {
        std::wstring kinds;
        for (std::size_t i = 0; i + 1 < text.size(); ++i)
            if (text[i] == L'%') kinds += text[++i];
        return kinds;
    };
    for (UINT block = 1; block <= 4096; ++block) {
        std::set<LANGID> languages;
        EnumResourceLanguagesW(Self(), RT_STRING, MAKEINTRESOURCEW(block), CollectLanguage, reinterpret_cast<LONG_PTR>(&languages));
        for (const TextLanguage& language : kTextLanguages) {
            if (languages.empty()) break;
            EXPECT_TRUE(languages.count(language.LangId)) << language.LangId << " block " << block;
            for (UINT id = (block - 1) * 16; id < block * 16; ++id) {
                const std::wstring english = LoadResString(Self(), id, kEnglishLangId);
                const std::wstring local = LoadResString(Self(), id, language.LangId);
                EXPECT_TRUE(english.empty() || (!local.empty() && placeholders(local) == placeholders(english))) << language.LangId << " id " << id;
            }
        }
    }
}

TEST(Resources, FixedFileVersionIsTheBuildVersion) {
    std::string_view block = ResourceBytes(MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    ASSERT_GE(block.size(), 6u);
    // VS_VERSIONINFO: length, value length, type, the key, padding to 4 bytes, then the fixed part.
    WORD valueLength = 0;
    std::memcpy(&valueLength, block.data() + 2, 2);
    ASSERT_EQ(valueLength, sizeof(VS_FIXEDFILEINFO));
    const wchar_t key[] = L"VS_VERSION_INFO";
    ASSERT_EQ(block.substr(6, sizeof(key)), std::string_view(reinterpret_cast<const char*>(key), sizeof(key)));
    size_t fixedAt = (6 + sizeof(key) + 3) & ~size_t{3};
    ASSERT_GE(block.size(), fixedAt + sizeof(VS_FIXEDFILEINFO));
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, block.data() + fixedAt, sizeof(fixed));
    EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(HIWORD(fixed.dwFileVersionMS), QUORLIN_VERSION_MAJOR);
    EXPECT_EQ(LOWORD(fixed.dwFileVersionMS), QUORLIN_VERSION_MINOR);
    EXPECT_EQ(HIWORD(fixed.dwFileVersionLS), QUORLIN_VERSION_PATCH);
    EXPECT_EQ(LOWORD(fixed.dwFileVersionLS), QUORLIN_VERSION_BUILD);
    EXPECT_EQ(fixed.dwProductVersionMS, fixed.dwFileVersionMS);
    EXPECT_EQ(fixed.dwProductVersionLS, fixed.dwFileVersionLS);

    // The text form in the string block is the same version.
    const std::wstring text = L"FileVersion";
    const std::wstring expected = L"" QUORLIN_VERSION_TEXT;
    std::wstring_view wide(reinterpret_cast<const wchar_t*>(block.data()), block.size() / 2);
    size_t at = wide.find(text);
    ASSERT_NE(at, std::wstring_view::npos);
    at += text.size() + 1;                // the key's terminating zero
    while (at < wide.size() && wide[at] == 0) ++at;  // padding to 4 bytes
    EXPECT_EQ(std::wstring(wide.substr(at, expected.size())), expected);
}

TEST(Resources, ManifestAsksForNoElevationCommonControlsSixAndNamesVistaAndSeven) {
    std::string_view manifest = ResourceBytes(MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_FALSE(manifest.empty());
    EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"asInvoker\""), std::string_view::npos);
    EXPECT_NE(manifest.find("<supportedOS Id=\"{e2011457-1546-43c5-a5fe-008deee3d3f0}\"/>"), std::string_view::npos)
        << "Windows Vista";
    EXPECT_NE(manifest.find("<supportedOS Id=\"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}\"/>"), std::string_view::npos)
        << "Windows 7";

    // The common controls dependency and its version belong to the same element.
    size_t name = manifest.find("name=\"Microsoft.Windows.Common-Controls\"");
    ASSERT_NE(name, std::string_view::npos);
    size_t begin = manifest.rfind("<assemblyIdentity", name);
    size_t end = manifest.find("/>", name);
    ASSERT_NE(begin, std::string_view::npos);
    ASSERT_NE(end, std::string_view::npos);
    std::string_view element = manifest.substr(begin, end - begin);
    EXPECT_NE(element.find("version=\"6.0.0.0\""), std::string_view::npos) << element;
    EXPECT_NE(manifest.rfind("<dependentAssembly>", begin), std::string_view::npos);

    // And the loader honours it: the process's activation context redirects comctl32 to the
    // side-by-side assembly. (Wine's comctl32 reports version 5 from DllGetVersion even then.)
    ACTCTX_SECTION_KEYED_DATA data{};
    data.cbSize = sizeof(data);
    EXPECT_TRUE(FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, L"comctl32.dll", &data))
        << "error " << GetLastError();
}

}  // namespace

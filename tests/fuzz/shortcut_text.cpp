// ParseShortCut on any text, and the round trip through FormatShortCut: a text that parses
// formats back to a text that parses to the same value, and a value's text parses to a value
// with the same text.
#include "FuzzInput.h"
#include "shortcuts/ShortcutText.h"

#include <cctype>

using namespace quorlin;

namespace {
// A keyboard layout with a few system-named keys, compared apart from ASCII case.
class KeyText : public KeyTextSystem {
public:
    std::string SystemKeyName(std::uint8_t key) const override {
        switch (key) {
            case 0x10: return "Shift";
            case 0x11: return "Ctrl";
            case 0x12: return "Alt";
            case 0x6A: return "Num *";
            case 0xBA: return ";";
            case 0xDE: return "'";
            default: return {};
        }
    }
    bool SameTextIgnoreCase(std::string_view a, std::string_view b) const override {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
                return false;
        return true;
    }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const KeyText system;
    static const KeyCaptionTable captions;
    FuzzInput in(data, size);
    const auto value = in.Number<TShortCut>();
    const std::string text = in.Text();

    const TShortCut parsed = ParseShortCut(text, captions, system);
    if (parsed != 0) {
        const std::string formatted = FormatShortCut(parsed, captions, system);
        FUZZ_CHECK(!formatted.empty());
        FUZZ_CHECK(ParseShortCut(formatted, captions, system) == parsed);
    }
    const std::string shown = FormatShortCut(value, captions, system);
    if (!shown.empty()) {
        const TShortCut again = ParseShortCut(shown, captions, system);
        FUZZ_CHECK(again != 0);
        FUZZ_CHECK(FormatShortCut(again, captions, system) == shown);
    }
    const ShortCutParts parts = SplitShortCut(value);
    if (parts.key <= 0xFF) FUZZ_CHECK(ComposeShortCut(parts.key, parts.shift) == value);
    return 0;
}

// The window bounds text: any text parses without harm, and what it yields formats to a text
// that parses to the same rectangle.
#include "FuzzInput.h"
#include "settings/Settings.h"

using namespace quorlin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    std::wstring text;
    // Mostly the characters the parser cares about, with any other character now and then.
    for (std::string bytes = in.Text(); unsigned char b : bytes)
        text += b < 0x80 ? static_cast<wchar_t>(b) : static_cast<wchar_t>(0x80 + b * 131);
    const auto parsed = ParseBounds(text);
    if (parsed) {
        const std::wstring formatted = FormatBounds(*parsed);
        FUZZ_CHECK(ParseBounds(formatted) == parsed);
    }
    const BoundsRect r{in.Number<std::int32_t>(), in.Number<std::int32_t>(), in.Number<std::int32_t>(),
                       in.Number<std::int32_t>()};
    const auto back = ParseBounds(FormatBounds(r));
    FUZZ_CHECK(r == BoundsRect{} ? !back : back == r);
    return 0;
}

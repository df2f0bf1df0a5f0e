// The report address and query: any parts assemble, and the request-line form carries no blank,
// control or non-ASCII byte and
// escapes exactly those.
#include "FuzzInput.h"
#include "online/Reports.h"

using namespace quorlin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    ReportInputs r;
    r.AutoRun = in.Flag();
    r.Balloons = in.Flag();
    r.BlockerEnabled = in.Flag();
    r.BlockEvents = in.Flag();
    r.BeepOnClick = in.Flag();
    r.BlockerSwitch = in.Flag();
    r.TouchpadSwitch = in.Flag();
    r.BlockInterval = in.Number<std::uint32_t>();
    r.BlockCount = in.Number<std::int32_t>();
    r.Version = in.Text();
    r.BlockerShortcut = in.Text();
    r.TouchpadShortcut = in.Text();
    const std::string base = in.Text(), name = in.Text(), extra = in.Text();

    const std::string query = ComposeQuery(r, extra);
    FUZZ_CHECK(query.rfind("version=" + r.Version + "&auto=", 0) == 0);
    const std::string url = ReportUrl(base, name, query);
    FUZZ_CHECK(url.rfind(EnsureTrailingSlash(base), 0) == 0);
    // Walks the address and its request-line form side by side: a byte that may stand in a request
    // line is kept, any other becomes "%" and two upper-case hex digits.
    const std::string line = RequestLineForm(url);
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::size_t at = 0;
    for (const char ch : url) {
        const auto c = static_cast<unsigned char>(ch);
        if (c > 0x20 && c < 0x7F) {
            FUZZ_CHECK(at < line.size() && line[at] == ch);
            at += 1;
        } else {
            FUZZ_CHECK(line.compare(at, 3, std::string{'%', kHex[c >> 4], kHex[c & 15]}) == 0);
            at += 3;
        }
    }
    FUZZ_CHECK(at == line.size());
    return 0;
}

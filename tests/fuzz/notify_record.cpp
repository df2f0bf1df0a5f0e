// The notification-area record: for any shell version, character form and texts, the record has
// the size the version asks for, cbSize says so, and every text field ends with a zero inside it.
#include "FuzzInput.h"
#include "shell/NotifyIconData.h"

using namespace quorlin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const auto version = in.Number<std::uint32_t>();
    const CharForm form = in.Flag() ? CharForm::Wide : CharForm::Ansi;
    NotifyIconData record(version, form);
    FUZZ_CHECK(record.Size() == NotifyIconDataSize(version, form));
    if (!record.Valid()) return 0;
    FUZZ_CHECK(record.Data()[0] == (record.Size() & 0xFF) && record.Data()[1] == (record.Size() >> 8));

    const std::uint32_t handle = in.Number<std::uint32_t>();
    record.SetWindow(handle);
    record.SetIcon(in.Number<std::uint32_t>());
    record.SetFlags(in.Number<std::uint32_t>());
    record.SetTimeout(in.Number<std::uint32_t>());
    record.SetInfoFlags(in.Number<std::uint32_t>());
    // Texts of both forms; the form the record does not have must change nothing.
    record.SetTip(in.WideText<std::u16string>());
    record.SetTip(in.Text());
    record.SetInfo(in.WideText<std::u16string>());
    record.SetInfo(in.Text());
    record.SetInfoTitle(in.WideText<std::u16string>());
    record.SetInfoTitle(in.Text());

    FUZZ_CHECK(record.Data()[4] == (handle & 0xFF) && record.Data()[7] == handle >> 24);
    // The tip starts at byte 24; whatever was put there ends within its field.
    const std::size_t unit = form == CharForm::Wide ? 2 : 1;
    const std::size_t tipChars = record.HasInfo() ? 128 : 64;
    bool ended = false;
    for (std::size_t i = 0; i < tipChars && !ended; ++i) {
        const std::uint8_t* c = record.Data() + 24 + i * unit;
        ended = c[0] == 0 && c[unit - 1] == 0;
    }
    FUZZ_CHECK(ended);
    return 0;
}

#include "shell/NotifyIconData.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

using namespace quorlin;

namespace {

std::uint32_t At32(const NotifyIconData& r, std::size_t offset) {
    const std::uint8_t* p = r.Data() + offset;
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
char16_t WideAt(const NotifyIconData& r, std::size_t offset, std::size_t index) {
    const std::uint8_t* p = r.Data() + offset + 2 * index;
    return static_cast<char16_t>(p[0] | p[1] << 8);
}
// The zero-terminated wide text stored at offset, read back independently of the writer.
std::u16string WideText(const NotifyIconData& r, std::size_t offset) {
    std::u16string s;
    for (std::size_t i = 0; offset + 2 * i + 1 < r.Size(); ++i) {
        const char16_t c = WideAt(r, offset, i);
        if (c == 0) break;
        s.push_back(c);
    }
    return s;
}
std::string AnsiText(const NotifyIconData& r, std::size_t offset) {
    std::string s;
    for (std::size_t i = offset; i < r.Size() && r.Data()[i] != 0; ++i) s.push_back(static_cast<char>(r.Data()[i]));
    return s;
}
bool AllZero(const NotifyIconData& r, std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i)
        if (r.Data()[i] != 0) return false;
    return true;
}
std::u16string Repeat(char16_t c, std::size_t n) { return std::u16string(n, c); }

TEST(NotifyIconData, SizeFollowsShellVersionAndCharacterForm) {
    struct Case {
        std::uint32_t version;
        std::size_t wide, ansi;
    };
    for (const Case c : {Case{0, 0, 0}, Case{0x3000A, 0, 0}, Case{0x40000, 152, 88}, Case{0x4FFFF, 152, 88},
                         Case{0x50000, 936, 488}, Case{0x5FFFF, 936, 488}, Case{0x60000, 952, 504},
                         Case{0x60001, 952, 504}, Case{0xA0000, 952, 504}}) {
        SCOPED_TRACE(c.version);
        NotifyIconData w(c.version, CharForm::Wide), a(c.version, CharForm::Ansi);
        EXPECT_EQ(w.Size(), c.wide);
        EXPECT_EQ(a.Size(), c.ansi);
        EXPECT_EQ(w.Valid(), c.wide != 0);
        if (w.Valid()) {
            EXPECT_EQ(At32(w, 0), c.wide) << "cbSize";
            EXPECT_EQ(At32(a, 0), c.ansi) << "cbSize";
            EXPECT_TRUE(AllZero(w, 4, w.Size()));
            EXPECT_TRUE(AllZero(a, 4, a.Size()));
        }
    }
}

TEST(NotifyIconData, HeaderFieldsSitAtTheSameOffsetsInBothForms) {
    for (CharForm form : {CharForm::Wide, CharForm::Ansi}) {
        NotifyIconData r(0x60000, form);
        r.SetWindow(0x00010AB4);
        r.SetId(7);
        r.SetFlags(0x7);
        r.SetCallbackMessage(0x4D3);
        r.SetIcon(0xCAFE0001);
        EXPECT_EQ(At32(r, 4), 0x00010AB4u);
        EXPECT_EQ(At32(r, 8), 7u);
        EXPECT_EQ(At32(r, 12), 0x7u);
        EXPECT_EQ(At32(r, 16), 0x4D3u);
        EXPECT_EQ(At32(r, 20), 0xCAFE0001u);
        EXPECT_EQ(r.Data()[20], 0x01) << "little-endian";
        EXPECT_TRUE(AllZero(r, 24, r.Size()));
    }
}

TEST(NotifyIconData, WideTipIsCutTo127OrTo63OnOldShells) {
    const std::u16string tip = Repeat(u'a', 199) + u"Z";
    NotifyIconData r(0x60000, CharForm::Wide);
    r.SetTip(tip);
    EXPECT_EQ(WideText(r, 24), tip.substr(0, 127));
    EXPECT_EQ(WideAt(r, 24, 127), 0) << "terminator in the last slot";
    EXPECT_TRUE(AllZero(r, 24 + 256, r.Size())) << "nothing spills into dwState and beyond";

    NotifyIconData old(0x40000, CharForm::Wide);
    old.SetTip(tip);
    EXPECT_EQ(WideText(old, 24), tip.substr(0, 63));
    EXPECT_EQ(WideAt(old, 24, 63), 0);
    EXPECT_EQ(old.Size(), 24u + 128u);

    // Line breaks and characters outside any ANSI code page pass unchanged.
    NotifyIconData multi(0x50000, CharForm::Wide);
    const std::u16string lines = u"Quorlin\r\nBlocker: On\nΩμέγα \u4E2D";
    multi.SetTip(lines);
    EXPECT_EQ(WideText(multi, 24), lines);
    EXPECT_EQ(multi.Data()[24 + 2 * 8], 0x0A);
}

TEST(NotifyIconData, ExactlyFittingTipIsKeptWhole) {
    NotifyIconData r(0x60000, CharForm::Wide);
    r.SetTip(Repeat(u'x', 127));
    EXPECT_EQ(WideText(r, 24), Repeat(u'x', 127));
    r.SetTip(u"");
    EXPECT_EQ(WideText(r, 24), u"");
}

TEST(NotifyIconData, CutNeverSplitsASurrogatePair) {
    // 126 letters then a pair: the pair would straddle the limit, so it goes whole.
    NotifyIconData r(0x60000, CharForm::Wide);
    r.SetTip(Repeat(u'a', 126) + u"\U0001F600" + u"b");
    EXPECT_EQ(WideText(r, 24), Repeat(u'a', 126));
    // A pair that fits is kept.
    r.SetTip(Repeat(u'a', 125) + u"\U0001F600" + u"b");
    EXPECT_EQ(WideText(r, 24), Repeat(u'a', 125) + u"\U0001F600");
}

TEST(NotifyIconData, WideBalloonFieldsAndTheirCuts) {
    NotifyIconData r(0x60000, CharForm::Wide);
    r.SetInfo(Repeat(u'i', 300));
    r.SetInfoTitle(Repeat(u't', 100));
    r.SetTimeout(3000);
    r.SetInfoFlags(1 | kNiifNoSound);
    EXPECT_TRUE(AllZero(r, 24, 288)) << "tip, dwState and dwStateMask untouched";
    EXPECT_EQ(WideText(r, 288), Repeat(u'i', 255));
    EXPECT_EQ(WideAt(r, 288, 255), 0);
    EXPECT_EQ(At32(r, 800), 3000u);
    EXPECT_EQ(WideText(r, 804), Repeat(u't', 63));
    EXPECT_EQ(WideAt(r, 804, 63), 0);
    EXPECT_EQ(At32(r, 932), 0x11u);
    EXPECT_TRUE(AllZero(r, 936, 952)) << "guidItem stays zero";

    // Shell 5 has the same fields, without guidItem.
    NotifyIconData v5(0x50000, CharForm::Wide);
    v5.SetInfo(u"Blocker on");
    v5.SetInfoFlags(2);
    EXPECT_EQ(WideText(v5, 288), u"Blocker on");
    EXPECT_EQ(At32(v5, 932), 2u);
}

TEST(NotifyIconData, AnsiLayoutAndCuts) {
    const std::string tip(200, 'q');
    NotifyIconData r(0x60000, CharForm::Ansi);
    r.SetTip(tip);
    r.SetInfo(std::string(300, 'i'));
    r.SetInfoTitle(std::string(80, 't'));
    r.SetTimeout(10000);
    r.SetInfoFlags(4);
    EXPECT_EQ(AnsiText(r, 24), tip.substr(0, 127));
    EXPECT_EQ(r.Data()[24 + 127], 0);
    EXPECT_TRUE(AllZero(r, 152, 160)) << "dwState and dwStateMask";
    EXPECT_EQ(AnsiText(r, 160), std::string(255, 'i'));
    EXPECT_EQ(r.Data()[160 + 255], 0);
    EXPECT_EQ(At32(r, 416), 10000u);
    EXPECT_EQ(AnsiText(r, 420), std::string(63, 't'));
    EXPECT_EQ(r.Data()[420 + 63], 0);
    EXPECT_EQ(At32(r, 484), 4u);
    EXPECT_TRUE(AllZero(r, 488, 504));

    NotifyIconData old(0x40000, CharForm::Ansi);
    old.SetTip(tip);
    EXPECT_EQ(AnsiText(old, 24), tip.substr(0, 63));
    EXPECT_EQ(old.Data()[24 + 63], 0);
}

TEST(NotifyIconData, OldShellRecordHasNoBalloonFields) {
    NotifyIconData r(0x40000, CharForm::Wide);
    EXPECT_FALSE(r.HasInfo());
    r.SetInfo(u"ignored");
    r.SetInfoTitle(u"ignored");
    r.SetTimeout(3000);
    r.SetInfoFlags(1);
    EXPECT_EQ(r.Size(), 152u);
    EXPECT_TRUE(AllZero(r, 4, r.Size()));
    EXPECT_TRUE(NotifyIconData(0x50000, CharForm::Ansi).HasInfo());
}

TEST(NotifyIconData, TextOfTheOtherFormAndInvalidRecordsAreIgnored) {
    NotifyIconData wide(0x60000, CharForm::Wide);
    wide.SetTip(std::string("ansi"));
    EXPECT_TRUE(AllZero(wide, 4, wide.Size()));
    NotifyIconData ansi(0x60000, CharForm::Ansi);
    ansi.SetTip(std::u16string(u"wide"));
    EXPECT_TRUE(AllZero(ansi, 4, ansi.Size()));

    NotifyIconData none(0x30000, CharForm::Wide);
    none.SetWindow(1);
    none.SetTip(u"x");
    none.SetInfo(u"x");
    none.SetTimeout(1);
    EXPECT_EQ(none.Size(), 0u);
}

}  // namespace

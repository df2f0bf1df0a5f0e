// Room for longer texts in a window laid out for English: each control's text measured in its own
// font, the platform-free fit applied to the controls.
#pragma once
#include <windows.h>

#include <span>

#include "shell/TextFit.h"

namespace quorlin {

// What a control's text needs.
enum class FitText {
    None,       // no text of its own to fit (edit boxes, lists, pictures)
    Label,      // one line, may wrap
    Paragraph,  // a word-wrapping label that wraps in what it has
    CheckBox,   // the mark and the text beside it, may wrap
    Caption,    // a group box's caption (need given by the control: CaptionNeed)
};

struct FitControl {
    HWND Window = nullptr;
    int Container = -1;  // the index of the control it stands in, in the same list; -1 the window
    FitAnchor Anchor = FitAnchor::Left;
    FitText Text = FitText::None;
    int CaptionNeed = 0;  // for Caption: the width the caption takes, from its left edge
};

// Measures, fits and applies: controls moved and sized (check boxes that wrap made multi-line).
// With spare, each text asks a little more than its measure (for texts the design was not drawn
// and looked at for). Returns the client size the window needs; unchanged when every text fits.
SIZE FitControls(std::span<const FitControl> controls, SIZE client, int maxGrowth, bool spare);

}  // namespace quorlin

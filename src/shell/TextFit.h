// Making room for texts longer than a window's design was drawn for (translations run up to a third
// longer than English). Platform-free: the caller measures each text with its control's font and
// applies the result. A window whose texts all fit keeps every control exactly where it was.
#pragma once
#include <cstddef>
#include <functional>
#include <span>
#include <vector>

#include "shell/Placement.h"

namespace quorlin {

// How a control follows its container when the window grows wider.
enum class FitAnchor {
    Left,     // stays; its width grows only as far as its text needs
    Right,    // moves right with the container's right edge (the edit boxes beside a caption)
    Stretch,  // grows with the container (group boxes, right-aligned labels spanning a row)
    Centre,   // keeps its place relative to the container's centre (a button under centred labels)
};

// Whether a control's text may take more lines.
enum class FitWrap {
    Never,
    WhenShort,  // when the window cannot grow wide enough for it
    Always,     // a paragraph: it asks for no width and wraps in what it has
};

struct FitItem {
    WindowBounds Bounds;  // as laid out now, in its container's client area
    int Container = -1;   // the index of the item it stands in; -1 for the window
    FitAnchor Anchor = FitAnchor::Left;
    int Need = 0;         // the width its text needs on one line, with the control's own parts; 0 none
    FitWrap Wrap = FitWrap::Never;
};

struct FitResult {
    std::vector<WindowBounds> Bounds;  // one per item, in its order
    int ClientWidth = 0;
    int ClientHeight = 0;
};

// The window grows wider by what the widest need asks, at most maxGrowth pixels; a control that
// still cannot have its width wraps if it may (a paragraph always does), taking the height
// wrappedHeight(item, width) gives when that is more than it has, and what
// stands below it in its container moves down (a container grows by as much). A Left control grows
// up to the control beside it, which must be Right-anchored to make room, or up to its
// container's edge less the margin the container's leftmost control keeps.
FitResult FitTexts(std::span<const FitItem> items, int clientWidth, int clientHeight, int maxGrowth,
                   const std::function<int(std::size_t item, int width)>& wrappedHeight);

}  // namespace quorlin

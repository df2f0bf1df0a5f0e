#include "shell/TextFit.h"

#include <algorithm>

namespace quorlin {

namespace {

int Right(const WindowBounds& b) { return b.Left + b.Width; }
int Bottom(const WindowBounds& b) { return b.Top + b.Height; }
bool SameRow(const WindowBounds& a, const WindowBounds& b) { return a.Top < Bottom(b) && b.Top < Bottom(a); }

struct Fitter {
    std::span<const FitItem> items;
    int clientWidth;

    int ContainerWidth(int container, int growth) const {
        if (container < 0) return clientWidth + growth;
        const FitItem& c = items[static_cast<std::size_t>(container)];
        return c.Bounds.Width + (c.Anchor == FitAnchor::Stretch ? growth : 0);
    }
    bool ContainerGrows(int container) const {
        return container < 0 || items[static_cast<std::size_t>(container)].Anchor == FitAnchor::Stretch;
    }
    // The nearest item right of i in its row and container, if any.
    const FitItem* Neighbour(std::size_t i) const {
        const FitItem& item = items[i];
        const FitItem* nearest = nullptr;
        for (const FitItem& other : items) {
            if (&other == &item || other.Container != item.Container || !SameRow(other.Bounds, item.Bounds)) continue;
            if (other.Bounds.Left < Right(item.Bounds)) continue;
            if (!nearest || other.Bounds.Left < nearest->Bounds.Left) nearest = &other;
        }
        return nearest;
    }
    // The widest a Left item may become when the window is growth pixels wider.
    int Room(std::size_t i, int growth) const {
        const FitItem& item = items[i];
        if (const FitItem* n = Neighbour(i))
            return item.Bounds.Width + (n->Anchor == FitAnchor::Right && ContainerGrows(item.Container) ? growth : 0);
        // Up to the container's edge less the margin its leftmost control keeps on the other side.
        int margin = item.Bounds.Left;
        for (const FitItem& other : items)
            if (other.Container == item.Container) margin = std::min(margin, other.Bounds.Left);
        const int width = ContainerWidth(item.Container, 0);
        const int inset = std::clamp(width - Right(item.Bounds), 0, std::max(margin, 0));
        return std::max(item.Bounds.Width, ContainerWidth(item.Container, growth) - inset - item.Bounds.Left);
    }
};

}  // namespace

FitResult FitTexts(std::span<const FitItem> items, int clientWidth, int clientHeight, int maxGrowth,
                   const std::function<int(std::size_t item, int width)>& wrappedHeight) {
    const Fitter fit{items, clientWidth};
    const std::size_t n = items.size();

    // How much wider the window must be so that every text has its width.
    int growth = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const FitItem& item = items[i];
        if (item.Need <= item.Bounds.Width || item.Wrap == FitWrap::Always) continue;
        if (item.Anchor == FitAnchor::Stretch) {
            growth = std::max(growth, item.Need - item.Bounds.Width);
        } else if (item.Anchor == FitAnchor::Left) {
            const int room = fit.Room(i, 0), wider = fit.Room(i, 1);
            if (wider > room) growth = std::max(growth, item.Need - room);
        }
    }
    growth = std::clamp(growth, 0, std::max(maxGrowth, 0));

    FitResult result;
    result.Bounds.reserve(n);
    std::vector<int> extra(n, 0);  // height each item gains
    for (std::size_t i = 0; i < n; ++i) {
        const FitItem& item = items[i];
        WindowBounds b = item.Bounds;
        const bool grows = fit.ContainerGrows(item.Container);
        if (item.Anchor == FitAnchor::Stretch && grows) b.Width += growth;
        if (item.Anchor == FitAnchor::Right && grows) b.Left += growth;
        if (item.Anchor == FitAnchor::Centre && grows) b.Left += growth / 2;
        if (item.Anchor == FitAnchor::Left && item.Need > b.Width) b.Width = std::min(item.Need, fit.Room(i, growth));
        const bool wraps = item.Wrap == FitWrap::Always || (item.Wrap == FitWrap::WhenShort && item.Need > b.Width);
        if (wraps && wrappedHeight) extra[i] = std::max(0, wrappedHeight(i, b.Width) - b.Height);
        b.Height += extra[i];
        result.Bounds.push_back(b);
    }

    // Downwards: deepest containers first, so that a container's own growth is known when its
    // container places what stands below it.
    auto depth = [&](std::size_t i) {
        int d = 0;
        for (int c = items[i].Container; c >= 0 && d <= static_cast<int>(n); c = items[static_cast<std::size_t>(c)].Container) ++d;
        return d;
    };
    std::vector<int> containers{-1};
    for (std::size_t i = 0; i < n; ++i)
        if (std::any_of(items.begin(), items.end(), [i](const FitItem& x) { return x.Container == static_cast<int>(i); }))
            containers.push_back(static_cast<int>(i));
    std::sort(containers.begin(), containers.end(), [&](int a, int b) {
        return (a < 0 ? -1 : depth(static_cast<std::size_t>(a))) > (b < 0 ? -1 : depth(static_cast<std::size_t>(b)));
    });
    int windowGrowth = 0;
    for (const int c : containers) {
        std::vector<std::size_t> children;
        for (std::size_t i = 0; i < n; ++i)
            if (items[i].Container == c) children.push_back(i);
        std::sort(children.begin(), children.end(), [&](std::size_t a, std::size_t b) { return items[a].Bounds.Top < items[b].Bounds.Top; });
        std::vector<int> shift(n, 0);
        int grown = 0;
        for (const std::size_t j : children) {
            for (const std::size_t i : children)
                if (Bottom(items[i].Bounds) <= items[j].Bounds.Top) shift[j] = std::max(shift[j], shift[i] + extra[i]);
            result.Bounds[j].Top += shift[j];
            grown = std::max(grown, shift[j] + extra[j]);
        }
        if (c < 0) {
            windowGrowth = grown;
        } else {
            extra[static_cast<std::size_t>(c)] += grown;
            result.Bounds[static_cast<std::size_t>(c)].Height += grown;
        }
    }
    result.ClientWidth = clientWidth + growth;
    result.ClientHeight = clientHeight + windowGrowth;
    return result;
}

}  // namespace quorlin

#pragma once
// Moving and zooming the span [Start, End) a detail view shows, within a wave
// of Count samples: a moved span keeps its length; a zoomed one keeps the
// anchor sample at the same place in the view and stays between the
// narrowest span the zoom commands reach and the whole wave.

#include <algorithm>
#include <cstdint>

// The narrowest span zooming in reaches (the whole wave, when shorter).
inline constexpr int32_t kMinViewSpan = 10;

struct TViewSpan {
    int32_t Start = 0;
    int32_t End = 0;

    constexpr int64_t Length() const { return int64_t{End} - Start; }
    friend constexpr bool operator==(TViewSpan, TViewSpan) = default;
};

// Span moved to begin at Start, kept inside 0 .. Count.
constexpr TViewSpan ScrollSpan(TViewSpan Span, int64_t Start, int32_t Count)
{
    const int64_t length = std::clamp<int64_t>(Span.Length(), 0, Count);
    const int64_t start = std::clamp<int64_t>(Start, 0, Count - length);
    return {static_cast<int32_t>(start), static_cast<int32_t>(start + length)};
}

// Span halved (In) or doubled around Anchor.
constexpr TViewSpan ZoomSpan(TViewSpan Span, int64_t Anchor, bool In, int32_t Count)
{
    const int64_t length = Span.Length();
    if (length <= 0)
        return Span;
    // Zooming in never widens a span already narrower than the limit.
    const int64_t wanted = In ? std::max<int64_t>(length / 2, std::min<int64_t>(kMinViewSpan, length)) : length * 2;
    const int64_t zoomed = std::min<int64_t>(wanted, Count);
    const int64_t anchor = std::clamp<int64_t>(Anchor, Span.Start, Span.End);
    const int64_t start = anchor - (anchor - Span.Start) * zoomed / length;
    return ScrollSpan({0, static_cast<int32_t>(zoomed)}, start, Count);
}

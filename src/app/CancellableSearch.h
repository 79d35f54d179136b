#pragma once
// A loop search the person may cancel: it runs on its own thread, on its
// own copy of the wave's samples, while the main thread shows the progress
// (a busy dialog that appears once the search has taken half a second) and
// keeps the window painted. Until the dialog is up no input reaches the
// window, so nothing changes under the search; after, the dialog is modal.
// Cancelled, the search runs on to its end unobserved and its result is
// dropped; nothing it uses is shared.

#include "loop/LoopFinder.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class QWidget;
class TPrompter;

// Find's loops for a finder of Samples at RateHz; none when the person
// cancelled. Find's exception (ELoopFinderError, bad_alloc) is thrown here.
std::optional<TFoundLoops> FindCancellable(std::vector<int16_t> Samples, int32_t RateHz,
                                           std::function<TFoundLoops(const TLoopFinder&)> Find,
                                           TPrompter& Prompter, QWidget* Parent, const QString& Text);

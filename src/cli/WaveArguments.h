#pragma once
// The arguments that name a wave and its loop (new's WAV[@START:END][~FADE])
// and the crossfade of loop --crossfade. Units are fixed by where a number
// stands: loop points and "~N" are samples, "~Nms" and --crossfade are
// milliseconds ("20" and "20ms" alike), and every report names its unit.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

// The loop point that new takes from the loop finder (WAV@auto: both points;
// WAV@START:auto: the end).
inline constexpr int32_t kAutomaticPoint = -1;

// A loop crossfade as given after "~": samples, milliseconds with "ms", or
// "auto" (the loop finder's automatic fade).
struct TFadeArgument {
    double Value = 0;
    bool Ms = false;
    bool Auto = false;
    int32_t SamplesAt(int32_t RateHz) const;
};

struct TWaveArgument {
    std::string Path;
    std::optional<std::pair<int32_t, int32_t>> Loop; // kAutomaticPoint where "auto" stands
    TFadeArgument Fade;
};

// WAV, WAV@START:END, WAV@START:auto or WAV@auto, each loop with an optional
// "~FADE". A file whose name holds the whole argument, or whose "@" is
// followed by a folder's name, is a path. Raises ECliError for a loop that
// is none of these, naming what is wrong.
TWaveArgument ParseWaveArgument(const std::string& Arg);

// The value of --crossfade in milliseconds: "20", "20.5" or "20ms"; none for
// anything else ("auto", the fade the loop finder chooses, is the caller's).
std::optional<double> ParseFadeMs(const std::string& Text);

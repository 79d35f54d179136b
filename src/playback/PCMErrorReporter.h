#pragma once
// Passes errors raised on the player's threads to the owner's hook; without a
// hook, or when the hook itself throws, they are written to stderr. Nothing
// it is given ever leaves it as an exception, so a player thread that reports
// an error keeps running.

#include "playback/PCMTypes.h"

#include <mutex>

class TPCMErrorReporter {
public:
    void SetHook(TErrorEvent Hook);
    void Report(const std::string& Message, const std::string& Caption);
    // Reports the exception being handled; call only inside a catch block.
    void ReportCurrentException();

private:
    std::mutex FLock;
    TErrorEvent FHook;
};

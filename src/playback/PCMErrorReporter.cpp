#include "playback/PCMErrorReporter.h"

#include <cstdio>
#include <exception>

void TPCMErrorReporter::SetHook(TErrorEvent Hook)
{
    std::lock_guard lock(FLock);
    FHook = std::move(Hook);
}

void TPCMErrorReporter::Report(const std::string& Message, const std::string& Caption)
{
    TErrorEvent hook;
    {
        std::lock_guard lock(FLock);
        hook = FHook;
    }
    if (hook) {
        // A hook that fails must not take the player's thread down with it:
        // the message then goes where it goes without a hook.
        try {
            hook(Message, Caption);
            return;
        } catch (...) {
        }
    }
    std::fprintf(stderr, "%s\n", Message.c_str());
}

void TPCMErrorReporter::ReportCurrentException()
{
    try {
        throw;
    } catch (const Exception& e) {
        Report(e.Message(), "");
    } catch (const std::exception& e) {
        Report(e.what(), "");
    } catch (...) {
        Report("不明なエラーが発生しました", "");
    }
}

#include "cli/Language.h"

#include "common/ErrorText.h"

#include <atomic>

namespace {

std::atomic<TLanguage> gLanguage = TLanguage::English;

} // namespace

void UseToolLanguage(TLanguage Language) { gLanguage = Language; }

TLanguage ToolLanguage() { return gLanguage; }

const char* Say(const char* Japanese, const char* English)
{
    return ToolLanguage() == TLanguage::Japanese ? Japanese : English;
}

std::string ShownError(const std::string& Message) { return ErrorText(CoreTextIn(ToolLanguage(), Message)); }

std::string ShownError(const Exception& Error)
{
    const std::string message = CoreTextIn(ToolLanguage(), Error.Message());
    return ErrorText(Error.Detail().empty() ? message : message + ": " + Error.Detail());
}

const char* SeamWord(TSeamQuality Quality)
{
    switch (Quality) {
    case TSeamQuality::Good:
        return Say("良好", "good");
    case TSeamQuality::Fair:
        return Say("可", "fair");
    case TSeamQuality::Poor:
        break;
    }
    return Say("不良", "poor");
}

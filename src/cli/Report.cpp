#include "cli/Report.h"

#include "cli/Language.h"

TReport::TReport(std::ostream& Out, std::ostream& Err, bool Json, const std::string& Command)
    : FOut(Out), FErr(Err), FJson(Json), FDocument{{"command", Command}, {"ok", true}, {"warnings", nlohmann::json::array()}}
{
}

void TReport::Line(const std::string& Text)
{
    if (!FJson)
        FOut << Text << '\n';
}

void TReport::Tell(const std::string& Text)
{
    FOut.flush();
    FErr << Text << '\n';
}

void TReport::Warning(const std::string& Prefix, const std::string& Text)
{
    const std::string text = CoreTextIn(ToolLanguage(), Text);
    Tell(Prefix + text);
    FDocument["warnings"].push_back(text);
}

void TReport::Note(const std::string& Text) { Warning(Say("注: ", "note: "), Text); }

void TReport::Warn(const std::string& Text) { Warning(Say("警告: ", "warning: "), Text); }

std::string TReport::Fault(const Exception& Error, nlohmann::json& Item)
{
    const std::string text = ShownError(Error);
    Tell(text);
    Item["ok"] = false;
    Item["error"] = text;
    return text;
}

void TReport::Finish(bool Ok, const std::string& Error)
{
    if (!FJson || FFinished)
        return;
    FFinished = true;
    FDocument["ok"] = Ok;
    if (!Error.empty())
        FDocument["error"] = Error;
    // A file name that is no UTF-8 must not make the document unwritable.
    FOut << FDocument.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
}

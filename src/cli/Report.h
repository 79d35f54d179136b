#pragma once
// TReport: what one run of a command tells its caller. For people, lines on
// standard output; with --json, one JSON document there instead (the schema
// is in README.md), written once the command ends, a failed one included.
// Notes, warnings and faults go to standard error, in the run's language,
// through Tell alone, and with --json into the document's "warnings" too.

#include <nlohmann/json.hpp>

#include <ostream>
#include <string>

class Exception;

class TReport {
public:
    // Command names the document ("command": "info").
    TReport(std::ostream& Out, std::ostream& Err, bool Json, const std::string& Command);

    bool Json() const { return FJson; }
    // A line for people; nothing with --json.
    void Line(const std::string& Text);
    // Text as it is on standard error (after what standard output holds so far).
    void Tell(const std::string& Text);
    // "note: Text", "warning: Text" on standard error, and in "warnings"; a
    // core's message in Text is said in the run's language.
    void Note(const std::string& Text);
    void Warn(const std::string& Text);
    // A fault of one of many files: on standard error, and as Item's "error"
    // (Item's "ok" false). Returns the text shown.
    std::string Fault(const Exception& Error, nlohmann::json& Item);

    // The document the command fills; "command", "ok" and "warnings" are the report's.
    nlohmann::json& Document() { return FDocument; }
    // Writes the document (with --json) unless written before: "ok" as given, with Error's text
    // as "error" when the command failed as a whole.
    void Finish(bool Ok, const std::string& Error = {});

private:
    void Warning(const std::string& Prefix, const std::string& Text);

    std::ostream& FOut;
    std::ostream& FErr;
    bool FJson;
    bool FFinished = false;
    nlohmann::json FDocument;
};

#pragma once
// The language of one run of vantrel-cli: Japanese under a Japanese locale,
// English under any other (LanguageOfEnvironment), or as --lang asks. Every
// text the tool prints is in it: the core's messages through their English
// forms (common/Texts.h), the tool's own texts written in both languages
// where they are made (Say). Scripts read the exit status and --json, not
// these texts.

#include "common/Texts.h"
#include "loop/SeamCost.h"

#include <string>

class Exception;

// Sets the run's language; main does so once, before any command runs.
void UseToolLanguage(TLanguage Language);
TLanguage ToolLanguage();

// The tool's own text in the run's language.
const char* Say(const char* Japanese, const char* English);

// An error as the tool prints it: its message in the run's language, its
// detail after it, with ErrorText's full stop.
std::string ShownError(const Exception& Error);
std::string ShownError(const std::string& Message);

// A seam cost's word for people ("good", "良好"); --json always writes
// SeamQualityName's English word.
const char* SeamWord(TSeamQuality Quality);

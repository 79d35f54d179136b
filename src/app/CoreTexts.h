#pragma once
// The core's texts that the window shows (the loop rules' messages, the loop
// finder's answers, the bank's note on a loop from sample 0, a crossfade too
// long for its loop, the readers', writers' and player's faults), translated
// into the window's language by the core's one table of their English forms
// (common/Texts.h), which the command-line tool uses too.

#include <QString>

class Exception;

// Text in the window's language when it is one of the core's texts (or a
// wave's name followed by ":" and one); Text itself otherwise.
QString CoreText(const char* Text);
// An error as the window shows it: ErrorText with its message translated.
QString WindowErrorText(const Exception& Error);

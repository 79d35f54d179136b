#pragma once
// The core's texts that the window shows (the loop rules' messages, the loop
// finder's answers, the bank's note on a loop from sample 0, a crossfade too
// long for its loop, the readers', writers' and player's faults), translated
// like the window's own texts. Those built around a file name are translated
// around it; a few built around figures stay as the core wrote them.

#include <QString>

class Exception;

// Text in the window's language when it is one of the core's texts (or a
// wave's name followed by ":" and one); Text itself otherwise.
QString CoreText(const char* Text);
// An error as the window shows it: ErrorText with its message translated.
QString WindowErrorText(const Exception& Error);

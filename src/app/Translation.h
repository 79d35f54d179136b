#pragma once
// The window's language. Its texts are written in Japanese (the source texts
// of tr()); an English translation is built into the program. The window
// speaks Japanese for a Japanese locale and English for any other, unless a
// language was chosen in the View menu, which is remembered. Qt's own widgets
// (message box buttons, file dialogs) speak the window's language.
//
// The language is installed once at start-up, before the window is made:
// a language chosen while the window runs takes effect at the next start.

#include "common/Texts.h"

#include <QString>

class QLocale;

// The language of Locale: Japanese for Japanese, English for any other.
TLanguage LanguageOfLocale(const QLocale& Locale);
// The language chosen in the View menu, or else the language of Locale.
TLanguage ChosenLanguage(const QLocale& Locale);
// Remembers Language as the chosen one for the next starts.
void RememberLanguage(TLanguage Language);

// Installs the window's and Qt's translations for Language in the running
// application, replacing those this installed before. Returns false when a
// translation could not be loaded (Qt's translation of its widgets may be
// missing on a machine: they then speak Qt's English).
bool InstallLanguage(TLanguage Language);
// The language installed last; Japanese, the source texts, before any.
TLanguage InstalledLanguage();

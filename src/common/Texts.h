#pragma once
// The core's messages in the user's language. The core writes its messages
// in Japanese, the language its list files and banks were first made in;
// this unit is the one home of their English forms, which the window and
// the command-line tool both show to a user who does not read Japanese.
//
// A message is either one of the core's fixed texts, one of its formats
// filled in (a file name in "ファイル「%s」を開けません"; an argument may
// itself be one of the core's texts, a reason inside another text), or a
// wave's name, ":" and one of them, as the loop rules name a wave. Anything
// else (texts built around figures, the system's reasons) stays as the core
// wrote it.

#include <string>
#include <string_view>

enum class TLanguage { Japanese, English };

// Japanese for a locale name of the Japanese language ("ja", "ja_JP",
// "ja_JP.UTF-8", "ja_JP@x"), English for any other ("C", "en_US", "").
TLanguage LanguageOfLocaleName(std::string_view Name);
// The language of the locale a program's messages follow, read as gettext
// reads it: the first of LC_ALL, LC_MESSAGES and LANG that is set and not
// empty, whether or not that locale is installed; English when none is.
TLanguage LanguageOfEnvironment();

// Text in Language: the core's message Text, translated when it is one of
// the core's texts (see above); Text itself otherwise and in Japanese.
std::string CoreTextIn(TLanguage Language, std::string_view Text);

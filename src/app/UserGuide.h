#pragma once
// The user guide the help menu opens: a window of the program's own that
// shows the guide in the window's language. The guides are kept in
// docs/guide/ (user-guide.ja.md, user-guide.en.md), built into the program
// as resources and installed with it (share/doc/Vantrel/).

#include "app/Translation.h"

#include <QString>

class QWidget;

// The guide's Markdown text in Language.
QString UserGuideText(TLanguage Language);
// Shows the guide window of Owner in the installed language, making it on
// the first call and raising it on the others.
void ShowUserGuide(QWidget* Owner);

#include "app/CoreTexts.h"

#include "app/Translation.h"
#include "common/ErrorText.h"
#include "common/Exception.h"
#include "common/Texts.h"

#include <string>

// The English forms live in the core (common/Texts.h), shared with the
// command-line tool; the window takes them in the language it installed.
QString CoreText(const char* Text)
{
    return QString::fromStdString(CoreTextIn(InstalledLanguage(), Text));
}

QString WindowErrorText(const Exception& Error)
{
    const std::string message = CoreText(Error.Message().c_str()).toStdString();
    return QString::fromStdString(ErrorText(Error.Detail().empty() ? message : message + ": " + Error.Detail()));
}

#include "app/Translation.h"

#include "app/ProgramSettings.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

#include <vector>

namespace {

constexpr const char* kLanguageSetting = "View/Language";
// The remembered names of the languages, as their locale codes.
constexpr const char* kJapaneseCode = "ja";
constexpr const char* kEnglishCode = "en";

TLanguage gInstalled = TLanguage::Japanese;

// The translators this unit installed; the application owns them.
std::vector<QPointer<QTranslator>>& Installed()
{
    static std::vector<QPointer<QTranslator>> installed;
    return installed;
}

bool Install(const QString& File, const QString& Folder)
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(File, Folder) && QCoreApplication::installTranslator(translator)) {
        Installed().emplace_back(translator);
        return true;
    }
    delete translator;
    return false;
}

} // namespace

TLanguage LanguageOfLocale(const QLocale& Locale)
{
    return Locale.language() == QLocale::Japanese ? TLanguage::Japanese : TLanguage::English;
}

TLanguage ChosenLanguage(const QLocale& Locale)
{
    const QString chosen = ProgramSettings().value(kLanguageSetting).toString();
    if (chosen == QLatin1String(kJapaneseCode))
        return TLanguage::Japanese;
    if (chosen == QLatin1String(kEnglishCode))
        return TLanguage::English;
    return LanguageOfLocale(Locale);
}

void RememberLanguage(TLanguage Language)
{
    ProgramSettings().setValue(kLanguageSetting, Language == TLanguage::Japanese ? kJapaneseCode : kEnglishCode);
}

bool InstallLanguage(TLanguage Language)
{
    for (QTranslator* translator : Installed())
        if (translator) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
    Installed().clear();
    gInstalled = Language;
    if (Language == TLanguage::English) // Qt's own texts are English already
        return Install(":/i18n/vantrel_en.qm", {});
    // A static Qt (the Windows build) has no translations folder: there Qt's
    // Japanese is built into the program.
    return Install("qtbase_ja", ":/i18n") || Install("qtbase_ja", QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

TLanguage InstalledLanguage() { return gInstalled; }

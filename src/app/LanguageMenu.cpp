#include "app/LanguageMenu.h"

#include <QActionGroup>

TLanguageMenu::TLanguageMenu(QWidget* Parent) : QMenu(tr("言語(&L)"), Parent)
{
    setObjectName("MainMenu1_Language");
    auto* group = new QActionGroup(this);
    const struct {
        const char* Name;
        QString Caption; // in the language itself, never translated
        TLanguage Language;
    } items[] = {
        {"MainMenu1_LanguageJapanese", QStringLiteral("日本語"), TLanguage::Japanese},
        {"MainMenu1_LanguageEnglish", QStringLiteral("English"), TLanguage::English},
    };
    for (const auto& item : items) {
        QAction* action = addAction(item.Caption);
        action->setObjectName(QLatin1String(item.Name));
        action->setCheckable(true);
        action->setChecked(item.Language == InstalledLanguage());
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, language = item.Language] {
            RememberLanguage(language);
            emit Chosen(language);
        });
    }
}

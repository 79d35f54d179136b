#pragma once
// TLanguageMenu: the View menu's choice of the window's language, each
// language named in itself, the installed one checked. A choice is
// remembered and takes effect at the next start; Chosen tells the window,
// which says so.

#include "app/Translation.h"

#include <QMenu>

class TLanguageMenu : public QMenu {
    Q_OBJECT
public:
    explicit TLanguageMenu(QWidget* Parent = nullptr);

signals:
    void Chosen(TLanguage Language);
};

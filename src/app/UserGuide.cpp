#include "app/UserGuide.h"

#include "app/MainWindowConstants.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextBrowser>

QString UserGuideText(TLanguage Language)
{
    // The guides live in this static library: their resources load only
    // once something asks for them.
    Q_INIT_RESOURCE(Guide);
    QFile guide(Language == TLanguage::Japanese ? QStringLiteral(":/guide/user-guide.ja.md")
                                                : QStringLiteral(":/guide/user-guide.en.md"));
    // The guides are built into the program: failing to open one is a fault
    // of the build, and said as such.
    if (!guide.open(QIODevice::ReadOnly))
        throw EVantrelError(QCoreApplication::translate("UserGuide", "「%1」を開けません").arg(guide.fileName()).toStdString());
    return QString::fromUtf8(guide.readAll());
}

void ShowUserGuide(QWidget* Owner)
{
    auto* browser = Owner->findChild<QTextBrowser*>("UserGuideBrowser", Qt::FindDirectChildrenOnly);
    if (browser == nullptr) {
        // A window of its own beside the main window, closed with it.
        browser = new QTextBrowser(Owner);
        browser->setObjectName("UserGuideBrowser");
        browser->setWindowFlag(Qt::Window);
        browser->setWindowTitle(QCoreApplication::translate("UserGuide", "Vantrel の使い方"));
        browser->setOpenExternalLinks(true);
        browser->setMarkdown(UserGuideText(InstalledLanguage()));
        browser->resize(720, 800);
    }
    browser->show();
    browser->raise();
    browser->activateWindow();
}

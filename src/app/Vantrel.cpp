// Start-up: the application with Qt's dialogs in Japanese, the main window
// (the About box is created with it, hidden), the files named on the command
// line once the window shows, and the event loop until the window has closed.

#include "app/MainWindow.h"
#include "app/Prompter.h"
#include "app/Translation.h"
#include "playback/PortAudioWaveOut.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    application.setApplicationName("Vantrel");
    application.setDesktopFileName("vantrel");
    InstallQtJapanese(application);
    TMainForm form(std::make_unique<TDialogPrompter>(), MakeSystemWaveOutDevice());
    form.show();
    const QStringList arguments = application.arguments().mid(1);
    QTimer::singleShot(0, &form, [&form, arguments] { form.OpenArguments(arguments); });
    return application.exec();
}

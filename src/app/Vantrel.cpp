// Start-up: the application, the main window (the About box is created with
// it, hidden), and the event loop until the main window has closed.

#include "app/MainWindow.h"
#include "app/Prompter.h"
#include "playback/PortAudioWaveOut.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    application.setApplicationName("Vantrel");
    TMainForm form(std::make_unique<TDialogPrompter>(), MakeSystemWaveOutDevice());
    form.show();
    return application.exec();
}

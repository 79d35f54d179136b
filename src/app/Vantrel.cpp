// Start-up: --help and --version answered without a window; else the
// application in the chosen language (Translation.h), the main window (the
// About box is created with it, hidden), the files named on the command line
// once the window shows, and the event loop until the window has closed.

#include "app/MainWindow.h"
#include "app/Prompter.h"
#include "app/Translation.h"
#include "common/Platform.h"
#include "common/ProgramInfo.h"
#include "playback/PortAudioWaveOut.h"

#include <QApplication>
#include <QLocale>
#include <QTimer>

#include <cstdio>
#include <optional>
#include <string>

namespace {

constexpr const char* kUsage =
    "Usage:\n"
    "  vantrel                      start with an empty list\n"
    "  vantrel LIST.ksd             open a list file\n"
    "  vantrel FILE.wav...          start a new list with these sound files\n"
    "  vantrel --version            show the version\n"
    "  vantrel --help | -h          show this text\n"
    "vantrel-cli builds and checks voice banks from the shell (vantrel-cli --help).\n";

// The answer to --help or --version, which need no window (nor a display).
std::optional<std::string> CommandLineAnswer(int argc, char** argv)
{
    const std::string first = argc > 1 ? argv[1] : "";
    if (first == "--help" || first == "-h")
        return kUsage;
    if (first == "--version")
        return VersionLine("vantrel");
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv)
{
    if (const std::optional<std::string> answer = CommandLineAnswer(argc, argv)) {
        Platform::UseParentConsole();
        Platform::UseUtf8Console(); // the same bytes as vantrel-cli writes
        return std::fputs(answer->c_str(), stdout) >= 0 && std::fflush(stdout) == 0 ? 0 : 1;
    }
    QApplication application(argc, argv);
    application.setApplicationName("Vantrel");
    application.setDesktopFileName("vantrel");
    InstallLanguage(ChosenLanguage(QLocale::system()));
    TMainForm form(std::make_unique<TDialogPrompter>(), MakeSystemWaveOutDevice());
    form.show();
    const QStringList arguments = application.arguments().mid(1);
    QTimer::singleShot(0, &form, [&form, arguments] { form.OpenArguments(arguments); });
    return application.exec();
}

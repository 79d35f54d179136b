// main() for the Qt test programs: one QApplication for the whole run, on the
// offscreen platform unless the caller chose another, without the platform's
// chatter about features the offscreen platform lacks. Settings go to a
// configuration folder of the run's own (also for programs it starts on
// Linux), never to the user's, nor to the registry on Windows.
#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QtMessageHandler gDefaultHandler = nullptr;

void FilterMessages(QtMsgType Type, const QMessageLogContext& Context, const QString& Message)
{
    if (Message.contains("propagateSizeHints"))
        return;
    gDefaultHandler(Type, Context, Message);
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")) {
        const QString runtime = QDir::tempPath() + "/vantrel-test-runtime";
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
    }
    const QTemporaryDir config(QDir::tempPath() + "/vantrel-test-config-XXXXXX");
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
    gDefaultHandler = qInstallMessageHandler(FilterMessages);
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

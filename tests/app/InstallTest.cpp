// `cmake --install` into a fresh prefix: the programs and what the desktop
// needs to offer Vantrel for list files, checked by the desktop's own tools.

#include "support/TestFiles.h"

#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

struct TRun {
    int ExitCode = -1; // -1: did not run to the end
    QString Output;    // standard output and error
};

TRun RunProgram(const QString& Program, const QStringList& Arguments, const QString& DataDir = {})
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (!DataDir.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_DATA_DIRS", DataDir);
        process.setProcessEnvironment(environment);
    }
    process.start(Program, Arguments);
    TRun run;
    if (process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit)
        run.ExitCode = process.exitCode();
    run.Output = QString::fromLocal8Bit(process.readAll());
    return run;
}

} // namespace

TEST(Install, PutsTheProgramsDesktopEntryIconAndFileTypesUnderThePrefix)
{
#ifdef _WIN32
    GTEST_SKIP() << "installs for a Linux desktop; scripts/test-windows checks the Windows installer";
#endif
    const TTempDir prefix;
    const auto path = [&](const char* Relative) { return prefix.Path() / Relative; };
    const QString share = QString::fromStdString(path("share").string());
    const TRun install = RunProgram(VANTREL_CMAKE, {"--install", VANTREL_BUILD_DIR, "--prefix", QString::fromStdString(prefix.Path().string())});
    ASSERT_EQ(install.ExitCode, 0) << install.Output.toStdString();
    for (const char* file : {"bin/vantrel", "bin/vantrel-cli", "share/applications/vantrel.desktop",
                             "share/icons/hicolor/scalable/apps/vantrel.svg", "share/mime/packages/vantrel.xml",
                             "share/doc/Vantrel/user-guide.ja.md", "share/doc/Vantrel/user-guide.en.md"})
        EXPECT_TRUE(std::filesystem::is_regular_file(path(file))) << file;

    const QString validate = QStandardPaths::findExecutable("desktop-file-validate");
    const QString mime = QStandardPaths::findExecutable("update-mime-database");
    if (validate.isEmpty() || mime.isEmpty())
        GTEST_SKIP() << "desktop-file-utils or shared-mime-info is not installed";
    const TRun valid = RunProgram(validate, {share + "/applications/vantrel.desktop"});
    EXPECT_EQ(valid.ExitCode, 0);
    EXPECT_TRUE(valid.Output.isEmpty()) << valid.Output.toStdString(); // not even a hint
    // The database built from the description knows both types, without complaint.
    const TRun database = RunProgram(mime, {share + "/mime"}, share);
    ASSERT_EQ(database.ExitCode, 0);
    EXPECT_TRUE(database.Output.isEmpty()) << database.Output.toStdString();
    EXPECT_TRUE(std::filesystem::is_regular_file(path("share/mime/application/x-vantrel-ksd.xml")));
    EXPECT_TRUE(std::filesystem::is_regular_file(path("share/mime/application/x-vantrel-vbk.xml")));
}

// The files named on the command line when the program starts.

#include "app/MainWindow.h"

#include <QFileInfo>

// A list file is opened; every other argument is read as a WAV file, and the
// waves read start the list (the first shown). Each argument that cannot be
// read is reported on its own and the rest still open.
void TMainForm::OpenArguments(const QStringList& Paths)
{
    std::vector<std::unique_ptr<TWaveInfo>> waves;
    for (const QString& path : Paths) {
        if (QFileInfo(path).suffix().compare("ksd", Qt::CaseInsensitive) == 0)
            RunCommand([&] { OpenKSDFile(path); });
        else
            RunCommand([&] { waves.push_back(TKSD::ReadWave(path.toStdString())); });
    }
    RunCommand([&] { AppendWaves(std::move(waves), 0); });
}

#include "app/MissingWavePrompt.h"

#include "app/CoreTexts.h"
#include "app/MainWindowConstants.h"
#include "app/NativePath.h"
#include "app/Prompter.h"

#include <QCoreApplication>

namespace {

enum TButton { btLocate, btSkip, btAbort };

} // namespace

TMissingWaveResolver MissingWavePrompt(TPrompter& Prompter, QWidget* Parent, TFileDialog& Dialog)
{
    return [&Prompter, Parent, &Dialog](const std::string& StoredPath) {
        const QString stored = QString::fromStdString(StoredPath);
        const QString text = QCoreApplication::translate("MissingWavePrompt", "ファイルが見つかりません:\n%1").arg(stored);
        const QStringList buttons = {QCoreApplication::translate("MissingWavePrompt", "探す…"),
                                     QCoreApplication::translate("MissingWavePrompt", "スキップ"),
                                     QCoreApplication::translate("MissingWavePrompt", "中止")};
        for (;;) {
            switch (Prompter.AskChoice(Parent, mainform::kTitle, text, buttons)) {
            case btLocate: {
                Dialog.FileName = stored.mid(std::max(stored.lastIndexOf('/'), stored.lastIndexOf('\\')) + 1);
                const QStringList chosen = Prompter.ChooseFiles(Parent, Dialog);
                if (chosen.isEmpty())
                    continue; // the file dialog was cancelled: ask again
                return TMissingWaveAnswer{TMissingWaveAnswer::Use, NativePath(chosen.first())};
            }
            case btSkip:
                return TMissingWaveAnswer{TMissingWaveAnswer::Skip, {}};
            default:
                return TMissingWaveAnswer{TMissingWaveAnswer::Abort, {}};
            }
        }
    };
}

TUnreadableWaveResolver UnreadableWavePrompt(TPrompter& Prompter, QWidget* Parent)
{
    return [&Prompter, Parent](const std::string& StoredPath, const Exception& Error) {
        const QString text = QCoreApplication::translate("MissingWavePrompt", "ファイルを読めません:\n%1\n%2")
                                 .arg(QString::fromStdString(StoredPath), WindowErrorText(Error));
        const QStringList buttons = {QCoreApplication::translate("MissingWavePrompt", "スキップ"),
                                     QCoreApplication::translate("MissingWavePrompt", "中止")};
        return Prompter.AskChoice(Parent, mainform::kTitle, text, buttons) == 0;
    };
}

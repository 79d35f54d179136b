#include "app/PoorSeams.h"

#include "app/MainWindowConstants.h"
#include "app/Prompter.h"
#include "app/WaveListModel.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

QString Tr(const char* Text) { return QCoreApplication::translate("PoorSeams", Text); }

} // namespace

QStringList PoorSeamWaves(const TWaveListModel& Model)
{
    QStringList poor;
    for (int32_t i = 0; i < Model.Count(); ++i)
        if (const auto seam = Model.SeamOf(i); seam && seam->Quality == TSeamQuality::Poor)
            poor << QString::fromStdString(Model.Wave(i)->WaveName());
    return poor;
}

bool ConfirmPoorSeams(TPrompter& Prompter, QWidget* Parent, const TWaveListModel& Model, const QString& ListPath,
                      QStringList& AlwaysLists)
{
    const QString list = ListPath.isEmpty() ? QString() : QFileInfo(ListPath).absoluteFilePath();
    if (!list.isEmpty() && AlwaysLists.contains(list))
        return true;
    const QStringList poor = PoorSeamWaves(Model);
    if (poor.isEmpty())
        return true;
    // Buttons: export, always for this list (a saved list only), cancel.
    QStringList buttons = {Tr("エクスポート"), Tr("キャンセル")};
    if (!list.isEmpty())
        buttons.insert(1, Tr("このリストでは常にエクスポート"));
    const QString text = Tr("次の wav のループの継ぎ目は不良です。エクスポートしますか？\n%1").arg(poor.join('\n'));
    const int choice = Prompter.AskChoice(Parent, mainform::kTitle, text, buttons);
    const bool always = choice == 1 && !list.isEmpty();
    if (always)
        AlwaysLists << list;
    return choice == 0 || always;
}

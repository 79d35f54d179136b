#include "app/PoorSeams.h"

#include "app/MainWindowConstants.h"
#include "app/ProgramSettings.h"
#include "app/Prompter.h"
#include "document/CrossFade.h"
#include "document/KSD.h"
#include "document/WaveInfo.h"
#include "loop/LoopFinder.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <algorithm>

namespace {

constexpr const char* kAcceptedKey = "PoorSeamsAccepted"; // the list files always exported as they are

QString Tr(const char* Text) { return QCoreApplication::translate("PoorSeams", Text); }

} // namespace

std::optional<TSeamQuality> PlayedSeamQuality(const TWaveInfo& Wave)
{
    const TWaveLoop loop = Wave.Loop();
    if (Wave.IsMissing() || !loop.Plays() || loop.End > Wave.SampleCount())
        return std::nullopt;
    const int32_t fade = std::min(Wave.CrossFade(), LongestFade(loop));
    return TLoopFinder(Wave.Samples(), Wave.SamplesPerSec()).Measure(loop.Start, loop.End, fade).Quality;
}

bool ConfirmPoorSeams(TPrompter& Prompter, QWidget* Parent, const TKSD& List, const QString& ListPath)
{
    const QString list = ListPath.isEmpty() ? QString() : QFileInfo(ListPath).absoluteFilePath();
    QStringList accepted = ProgramSettings().value(kAcceptedKey).toStringList();
    if (!list.isEmpty() && accepted.contains(list))
        return true;
    QStringList poor;
    for (int32_t i = 0; i < List.Count(); ++i)
        if (const TWaveInfo* wave = List.GetWave(i); PlayedSeamQuality(*wave) == TSeamQuality::Poor)
            poor << QString::fromStdString(wave->WaveName());
    if (poor.isEmpty())
        return true;
    QStringList buttons = {Tr("エクスポート"), Tr("キャンセル")};
    if (!list.isEmpty())
        buttons.insert(1, Tr("このリストでは常にエクスポート"));
    const QString text = Tr("次の wav のループの継ぎ目は不良です。エクスポートしますか？\n%1").arg(poor.join('\n'));
    const int choice = Prompter.AskChoice(Parent, mainform::kTitle, text, buttons);
    if (choice == 1 && !list.isEmpty()) {
        accepted << list;
        ProgramSettings().setValue(kAcceptedKey, accepted);
    }
    return choice == 0 || (choice == 1 && !list.isEmpty());
}

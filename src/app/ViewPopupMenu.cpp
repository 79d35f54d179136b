#include "app/ViewPopupMenu.h"

#include "document/WaveInfo.h"
#include "view/GraphImage.h"

TViewPopupMenu::TViewPopupMenu(TGraphImage* View, const char* Prefix, const QString& EnlargeCaption,
                               bool WithWholeWave, std::function<const TWaveInfo*()> SelectedWave, QWidget* Parent)
    : QMenu(Parent)
{
    setObjectName(View->objectName() + "PopupMenu");
    int place = 0;
    const auto item = [&](const QString& Caption) {
        QAction* action = addAction(Caption);
        action->setObjectName(QStringLiteral("%1_N%2").arg(QLatin1String(Prefix)).arg(++place));
        return action;
    };
    Enlarge = item(EnlargeCaption);
    if (WithWholeWave)
        WholeWave = item(tr("全体表示"));
    ClearSelection = item(tr("選択解除"));
    addSeparator()->setObjectName(QStringLiteral("%1_N%2").arg(QLatin1String(Prefix)).arg(++place));
    SetLoopStart = item(tr("ループ始点に設定"));
    SetLoopEnd = item(tr("ループ終点に設定"));
    SetLoop = item(tr("ループ始点／終点に設定"));
    ClearLoop = item(tr("ループクリア"));
    addSeparator();
    FindLoop = addAction(tr("ループを自動検出(&F)"));
    FindLoop->setObjectName(QLatin1String(Prefix) + "_FindLoop");
    Locate = addAction(tr("探す…"));
    Locate->setObjectName(QLatin1String(Prefix) + "_Locate");
    connect(this, &QMenu::aboutToShow, this,
            [this, View, SelectedWave] { EnableItems(SelectedWave(), View->HasSelection()); });
    View->SetPopupMenu(this);
}

// With no wave selected every item is disabled; a missing one can only be located. A selection is enlarged,
// cleared or made the loop; without one the cursor sets a loop point.
void TViewPopupMenu::EnableItems(const TWaveInfo* Row, bool Selection)
{
    const TWaveInfo* Wave = Row && !Row->IsMissing() ? Row : nullptr; // a missing wave is only located
    const bool selection = Wave && Selection;
    const bool noSelection = Wave && !selection;
    const bool loop = Wave && Wave->Loop().IsSet();
    const std::pair<QAction*, bool> items[] = {
        {Enlarge, selection},        {WholeWave, noSelection}, {ClearSelection, selection},
        {SetLoopStart, noSelection}, {SetLoopEnd, noSelection}, {SetLoop, selection},
        {ClearLoop, loop},           {FindLoop, Wave != nullptr}, {Locate, Row && Row->IsMissing()},
    };
    for (const auto& [action, enabled] : items)
        if (action)
            action->setEnabled(enabled);
}

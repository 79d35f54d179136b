// The pop-up menus of the two waveform views. Both offer the same commands
// on their own view (the detail view's adds the whole wave); each opens with
// only the items enabled that make sense for the view's selection and the
// selected wave's loop.

#include "app/MainWindow.h"

#include "view/GraphImage.h"

#include <QAction>
#include <QMenu>

// Items are named Prefix + "_N" + their place in the menu, separator
// included, as the window's form named them ("AGIPopupMenu_N4").
TMainForm::TViewPopup TMainForm::CreatePopupMenu(TGraphImage* View, TGraphImage* Other, const char* Prefix,
                                                  const char* EnlargeCaption, bool WithWholeWave)
{
    TViewPopup popup;
    popup.Menu = new QMenu(this);
    popup.Menu->setObjectName(View->objectName() + "PopupMenu");
    int place = 0;
    const auto name = [&] { return QStringLiteral("%1_N%2").arg(QLatin1String(Prefix)).arg(++place); };
    const auto item = [&](const char* Caption, std::function<void()> Handler) {
        QAction* action = popup.Menu->addAction(QString::fromUtf8(Caption));
        action->setObjectName(name());
        connect(action, &QAction::triggered, this, [this, Handler] { RunCommand(Handler); });
        return action;
    };
    popup.Enlarge = item(EnlargeCaption, [this, View, Other] { EnlargeSelection(View, Other); });
    if (WithWholeWave)
        popup.WholeWave = item("全体表示", [this] { ShowWholeWave(); });
    popup.ClearSelection = item("選択解除", [this] { ClearBothSelections(); });
    popup.Menu->addSeparator()->setObjectName(name());
    popup.SetLoopStart = item("ループ始点に設定", [this, View] { ChangeLoopStart(View->Cursor()); });
    popup.SetLoopEnd = item("ループ終点に設定", [this, View] { ChangeLoopEnd(View->Cursor()); });
    popup.SetLoop = item("ループ始点／終点に設定", [this, View] { ChangeLoop(View->SelectStart(), View->SelectEnd()); });
    popup.ClearLoop = item("ループクリア", [this] { RemoveLoop(); });
    connect(popup.Menu, &QMenu::aboutToShow, this, [this, popup, View] { EnablePopupItems(popup, *View); });
    View->SetPopupMenu(popup.Menu);
    return popup;
}

void TMainForm::CreatePopupMenus()
{
    AllWaveGraphImagePopupMenu =
        CreatePopupMenu(AllWaveGraphImage, PartWaveGraphImage, "AGIPopupMenu", "選択範囲を別ウィンドウで拡大表示", false);
    PartWaveGraphImagePopupMenu =
        CreatePopupMenu(PartWaveGraphImage, AllWaveGraphImage, "PGIPopupMenu", "選択範囲を拡大表示", true);

    // The views' own mouse handling runs first; these follow it.
    for (auto [view, other] : {std::pair{AllWaveGraphImage, PartWaveGraphImage}, std::pair{PartWaveGraphImage, AllWaveGraphImage}}) {
        connect(view, &TGraphImage::OnMouseDown, this, [this, other = other] { RunCommand([this, other] { GraphImageMouseDown(other); }); });
        connect(view, &TGraphImage::OnMouseUp, this, [this] { RunCommand([this] { GraphImageMouseUp(); }); });
        connect(view, &TGraphImage::OnMarkerMove, this,
                [this, view = view, other = other](TGraphImage*, Qt::KeyboardModifiers, TMarkerStatus* marker, int) {
                    RunCommand([this, view, other, marker] { SyncMarker(view, other, marker); });
                });
    }
}

// With no wave selected every item is disabled. A selection is enlarged,
// cleared or made the loop; without one the cursor sets a loop point.
void TMainForm::EnablePopupItems(const TViewPopup& Popup, const TGraphImage& View) const
{
    const TWaveInfo* wave = SelectedWave();
    const bool selection = wave && View.HasSelection();
    const bool noSelection = wave && !selection;
    const bool loop = wave && wave->Loop().IsSet();
    const std::pair<QAction*, bool> items[] = {
        {Popup.Enlarge, selection},        {Popup.WholeWave, noSelection}, {Popup.ClearSelection, selection},
        {Popup.SetLoopStart, noSelection}, {Popup.SetLoopEnd, noSelection}, {Popup.SetLoop, selection},
        {Popup.ClearLoop, loop},
    };
    for (const auto& [action, enabled] : items)
        if (action)
            action->setEnabled(enabled);
}

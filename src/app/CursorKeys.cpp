#include "app/CursorKeys.h"

#include "app/WaveViews.h"
#include "document/WaveInfo.h"
#include "loop/ZeroCrossing.h"
#include "view/GraphImage.h"

#include <QAction>
#include <QMenu>

#include <algorithm>

namespace {

// The first crossing of either slope after From (Forward) or before it;
// From itself when there is none that way.
int32_t NextZeroCrossing(TSamples Wave, int32_t From, bool Forward)
{
    const int32_t step = Forward ? 1 : -1;
    const auto count = static_cast<int32_t>(Wave.size());
    for (int32_t p = From + step; p > 0 && p < count; p += step)
        if (IsZeroCrossing(Wave, p, TSlope::Rising) || IsZeroCrossing(Wave, p, TSlope::Falling))
            return p;
    return From;
}

} // namespace

TCursorKeys::TCursorKeys(TWaveViews& Views, QWidget* Parent)
    : QObject(Parent), FViews(Views), FMenu(new QMenu(tr("カーソル移動(&M)"), Parent))
{
    FMenu->setObjectName("MainMenu1_Cursor");
    const struct {
        const char* Name;
        const char* Caption;
        QKeyCombination Key;
        TStep Step;
        bool Forward;
    } items[] = {
        {"MainMenu1_CursorLeft", QT_TR_NOOP("カーソルを左へ"), Qt::Key_Left, TStep::Column, false},
        {"MainMenu1_CursorRight", QT_TR_NOOP("カーソルを右へ"), Qt::Key_Right, TStep::Column, true},
        {"MainMenu1_CursorTenthLeft", QT_TR_NOOP("カーソルを表示範囲の1/10左へ"), Qt::SHIFT | Qt::Key_Left, TStep::Tenth, false},
        {"MainMenu1_CursorTenthRight", QT_TR_NOOP("カーソルを表示範囲の1/10右へ"), Qt::SHIFT | Qt::Key_Right, TStep::Tenth, true},
        {"MainMenu1_CursorZeroLeft", QT_TR_NOOP("前のゼロクロスへ"), Qt::CTRL | Qt::Key_Left, TStep::ZeroCrossing, false},
        {"MainMenu1_CursorZeroRight", QT_TR_NOOP("次のゼロクロスへ"), Qt::CTRL | Qt::Key_Right, TStep::ZeroCrossing, true},
        {"MainMenu1_CursorSpanStart", QT_TR_NOOP("表示範囲の先頭へ"), Qt::Key_Home, TStep::Edge, false},
        {"MainMenu1_CursorSpanEnd", QT_TR_NOOP("表示範囲の末尾へ"), Qt::Key_End, TStep::Edge, true},
    };
    QWidget* detail = FViews.Detail();
    for (const auto& item : items) {
        auto* action = new QAction(tr(item.Caption), FMenu);
        action->setObjectName(QLatin1String(item.Name));
        action->setShortcut(QKeySequence(item.Key));
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, this, [this, step = item.Step, forward = item.Forward] { Move(step, forward); });
        FMenu->addAction(action);
        detail->addAction(action); // the key works where the cursor is
    }
    detail->setFocusPolicy(Qt::StrongFocus);
}

int32_t TCursorKeys::Target(TStep Step, bool Forward) const
{
    const TGraphImage& detail = *FViews.Detail();
    const int32_t start = detail.ViewStart(), end = detail.ViewEnd();
    const int32_t cursor = detail.Cursor();
    const int32_t sign = Forward ? 1 : -1;
    switch (Step) {
    case TStep::Column:
        return cursor + sign * std::max(1, (end - start) / std::max(1, detail.width()));
    case TStep::Tenth:
        return cursor + sign * std::max(1, (end - start) / 10);
    case TStep::ZeroCrossing:
        return NextZeroCrossing(FViews.Shown()->Samples(), cursor, Forward);
    case TStep::Edge:
        break;
    }
    return Forward ? end - 1 : start;
}

void TCursorKeys::Move(TStep Step, bool Forward)
{
    TGraphImage& detail = *FViews.Detail();
    const TWaveInfo* wave = FViews.Shown();
    if (!wave || wave->SampleCount() < 1)
        return;
    const int32_t target = std::clamp(Target(Step, Forward), 0, wave->SampleCount() - 1);
    const int32_t start = detail.ViewStart(), end = detail.ViewEnd();
    const int32_t shift = target < start ? target - start : target >= end ? target - end + 1 : 0;
    if (shift != 0)
        FViews.ShowSpan(start + shift, end + shift);
    FViews.Overview()->SetCursorEnabled(false);
    detail.SetCursorEnabled(true);
    detail.SetCursor(target);
}

#include "app/WaveTable.h"

#include "app/SeamWords.h"
#include "app/WaveListModel.h"
#include "document/WaveInfo.h"
#include "document/CrossFade.h"
#include "loop/LoopFinder.h"

#include <QHeaderView>
#include <QScopedValueRollback>
#include <QStyle>

#include <algorithm>

namespace {

enum TColumn { colName, colRate, colLength, colSamples, colLoopStart, colLoopEnd, colSeam };

struct TColumnLayout {
    const char* Title;
    int Width;
    int MinWidth;
};
const TColumnLayout kColumns[] = {
    {QT_TRANSLATE_NOOP("TWaveTable", "ファイル名"), 150, 100}, {QT_TRANSLATE_NOOP("TWaveTable", "周波数(Hz)"), 80, 60},
    {QT_TRANSLATE_NOOP("TWaveTable", "長さ(msec)"), 80, 60},   {QT_TRANSLATE_NOOP("TWaveTable", "サンプル数"), 80, 60},
    {QT_TRANSLATE_NOOP("TWaveTable", "ループ始点"), 80, 60},   {QT_TRANSLATE_NOOP("TWaveTable", "ループ終点"), 80, 60},
    {QT_TRANSLATE_NOOP("TWaveTable", "継ぎ目"), 60, 40},
};
constexpr int kColumnCount = static_cast<int>(std::size(kColumns));

// The seam quality of a loop that plays, with its crossfade as the seam view
// measures it, so a whole bank is checked at a glance; "-" for none.
QString SeamWordOf(const TWaveInfo& Wave)
{
    const TWaveLoop loop = Wave.Loop();
    if (Wave.IsMissing() || !loop.Plays() || loop.End > Wave.SampleCount())
        return "-";
    const int32_t fade = std::min(Wave.CrossFade(), LongestFade(loop));
    return SeamQualityWord(TLoopFinder(Wave.Samples(), Wave.SamplesPerSec()).Measure(loop.Start, loop.End, fade).Quality);
}

} // namespace

TWaveTable::TWaveTable(const TWaveListModel& Model, QWidget* Parent)
    : QTableWidget(0, kColumnCount, Parent), FModel(Model)
{
    setObjectName("WaveListView");
    setMinimumHeight(32);
    setShowGrid(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    // Only the loop cells are editable (SetCell).
    setEditTriggers(QAbstractItemView::DoubleClicked);
    // A long name keeps its start and its end. Word wrap is off: with it the
    // view breaks a name at its hyphens and elides each piece.
    setTextElideMode(Qt::ElideMiddle);
    setWordWrap(false);
    verticalHeader()->hide();
    // Rows as high as the font, so the list shows all the rows its height holds.
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 2);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setMinimumSectionSize(60);
    for (int c = 0; c < kColumnCount; ++c) {
        setHorizontalHeaderItem(c, new QTableWidgetItem(tr(kColumns[c].Title)));
        setColumnWidth(c, kColumns[c].Width);
    }
    // Keep each column at least as wide as its minimum.
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int c, int, int size) {
        if (c >= 0 && c < kColumnCount && size < kColumns[c].MinWidth)
            setColumnWidth(c, kColumns[c].MinWidth);
    });
    connect(this, &QTableWidget::itemSelectionChanged, this, [this] {
        if (!FChangingFromCode)
            emit UserSelected();
    });
    connect(this, &QTableWidget::cellClicked, this, [this] { emit UserSelected(); });
    connect(this, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* Cell) {
        if (FChangingFromCode || (Cell->column() != colLoopStart && Cell->column() != colLoopEnd))
            return;
        const int32_t row = Cell->row();
        emit LoopPointTyped(row, Cell->column() == colLoopStart, Cell->text());
        if (row < rowCount())
            ShowLoop(row);
    });

    connect(&FModel, &TWaveListModel::WaveInserted, this, [this](int32_t Index) {
        const QScopedValueRollback<bool> fromCode(FChangingFromCode, true);
        insertRow(Index);
        ShowRow(Index);
    });
    connect(&FModel, &TWaveListModel::WaveRemoved, this, [this](int32_t Index) {
        const QScopedValueRollback<bool> fromCode(FChangingFromCode, true);
        removeRow(Index);
    });
    connect(&FModel, &TWaveListModel::WavesSwapped, this, [this](int32_t Upper) {
        ShowRow(Upper);
        ShowRow(Upper + 1);
    });
    connect(&FModel, &TWaveListModel::LoopChanged, this, &TWaveTable::ShowLoop);
    connect(&FModel, &TWaveListModel::LoopDragged, this, &TWaveTable::ShowLoop);
    connect(&FModel, &TWaveListModel::Reset, this, &TWaveTable::Rebuild);
}

int32_t TWaveTable::SelectedIndex() const
{
    const int32_t current = currentRow();
    if (current >= 0 && selectionModel()->isRowSelected(current))
        return current;
    const std::vector<int32_t> rows = SelectedIndices();
    return rows.empty() ? -1 : rows.front();
}

std::vector<int32_t> TWaveTable::SelectedIndices() const
{
    std::vector<int32_t> rows;
    for (const QModelIndex& row : selectionModel()->selectedRows())
        rows.push_back(row.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TWaveTable::Select(int32_t Index)
{
    const QScopedValueRollback<bool> fromCode(FChangingFromCode, true);
    if (Index < 0) {
        clearSelection();
        return;
    }
    // Left alone when so already: moving the current cell would close an
    // editor whose typed loop point is being handed over.
    if (Index == currentRow() && SelectedIndices() == std::vector<int32_t>{Index})
        return;
    setCurrentCell(Index, std::max(currentColumn(), 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TWaveTable::SetCell(int32_t Row, int Column, const QString& Text)
{
    const QScopedValueRollback<bool> fromCode(FChangingFromCode, true);
    QTableWidgetItem* cell = item(Row, Column);
    if (!cell) {
        cell = new QTableWidgetItem;
        const bool loop = Column == colLoopStart || Column == colLoopEnd;
        cell->setFlags(loop ? cell->flags() | Qt::ItemIsEditable : cell->flags() & ~Qt::ItemIsEditable);
        setItem(Row, Column, cell);
    }
    cell->setText(Text);
}

void TWaveTable::ShowRow(int32_t Row)
{
    const TWaveInfo& wave = *FModel.Wave(Row);
    // A converted file says what it held, e.g. "a.wav (24-bit 2ch から変換)".
    QString name = QString::fromStdString(wave.WaveName());
    if (!wave.ConvertedFrom().empty())
        name += tr(" (%1 から変換)").arg(QString::fromStdString(wave.ConvertedFrom()));
    // A wave kept as missing has no sound to describe.
    if (wave.IsMissing())
        name += tr(" (見つかりません)");
    const auto number = [&wave](auto Value) { return wave.IsMissing() ? QString("-") : QString::number(Value); };
    SetCell(Row, colName, name);
    SetCell(Row, colRate, number(wave.SamplesPerSec()));
    SetCell(Row, colLength, number(wave.LengthMSec()));
    SetCell(Row, colSamples, number(wave.SampleCount()));
    ShowLoop(Row);
    const QScopedValueRollback<bool> fromCode(FChangingFromCode, true);
    const QBrush text = palette().brush(wave.IsMissing() ? QPalette::Disabled : QPalette::Active, QPalette::Text);
    for (int c = 0; c < columnCount(); ++c)
        if (QTableWidgetItem* cell = item(Row, c))
            cell->setForeground(text);
    ShowFileState(Row, wave);
}

// The whole path as the row's tooltip, and a file shorter than its header
// claims marked with the warning sign and said in the tooltip.
void TWaveTable::ShowFileState(int32_t Row, const TWaveInfo& Wave)
{
    QString tip = QString::fromStdString(Wave.FilePath());
    if (Wave.Truncated())
        tip += "\n" + tr("ファイルがヘッダの示す長さより短いため、%1 サンプルのうち %2 サンプルだけを読み込みました")
                          .arg(Wave.DeclaredSampleCount())
                          .arg(Wave.SampleCount());
    for (int c = 0; c < columnCount(); ++c)
        if (QTableWidgetItem* cell = item(Row, c))
            cell->setToolTip(tip);
    item(Row, colName)->setIcon(Wave.Truncated() ? style()->standardIcon(QStyle::SP_MessageBoxWarning) : QIcon());
}

void TWaveTable::ShowLoop(int32_t Row)
{
    const TLoopState loop = FModel.LoopOf(Row);
    SetCell(Row, colLoopStart, loop.StartShown ? QString::number(loop.Start) : "-");
    SetCell(Row, colLoopEnd, loop.EndShown ? QString::number(loop.End) : "-");
    SetCell(Row, colSeam, SeamWordOf(*FModel.Wave(Row)));
}

void TWaveTable::Rebuild()
{
    const QScopedValueRollback<bool> fromCode(FChangingFromCode, true);
    setRowCount(0);
    for (int32_t i = 0; i < FModel.Count(); ++i) {
        insertRow(i);
        ShowRow(i);
    }
}

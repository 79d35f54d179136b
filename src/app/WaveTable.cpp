#include "app/WaveTable.h"

#include "app/WaveListModel.h"
#include "app/WaveRowCells.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>

#include <algorithm>
#include <functional>

namespace {

// Hands a loop point typed into a cell to Typed instead of the model; text
// left as it was is no change.
class TLoopCellDelegate : public QStyledItemDelegate {
public:
    using TTyped = std::function<void(const QModelIndex&, const QString&)>;
    TLoopCellDelegate(TTyped Typed, QObject* Parent) : QStyledItemDelegate(Parent), FTyped(std::move(Typed)) {}

    void setModelData(QWidget* Editor, QAbstractItemModel*, const QModelIndex& Index) const override
    {
        const auto* line = qobject_cast<const QLineEdit*>(Editor);
        if (line && line->text() != Index.data(Qt::EditRole).toString())
            FTyped(Index, line->text());
    }

private:
    TTyped FTyped;
};

} // namespace

TWaveTable::TWaveTable(TWaveListModel& Model, QWidget* Parent) : QTableView(Parent)
{
    setObjectName("WaveListView");
    // Rows the model inserts, removes or replaces move the selection, but not
    // the user: the flag goes up before the selection model hears of the
    // change (connected before it) and down after it (connected after).
    const auto fromCode = [this](bool On) { return [this, On] { FChangingFromCode = On; }; };
    connect(&Model, &QAbstractItemModel::rowsAboutToBeInserted, this, fromCode(true));
    connect(&Model, &QAbstractItemModel::rowsAboutToBeRemoved, this, fromCode(true));
    connect(&Model, &QAbstractItemModel::modelAboutToBeReset, this, fromCode(true));
    setModel(&Model);
    connect(&Model, &QAbstractItemModel::rowsInserted, this, fromCode(false));
    connect(&Model, &QAbstractItemModel::rowsRemoved, this, fromCode(false));
    connect(&Model, &QAbstractItemModel::modelReset, this, fromCode(false));
    setMinimumHeight(32);
    setShowGrid(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    // Only the loop cells are editable (TWaveListModel::flags).
    setEditTriggers(QAbstractItemView::DoubleClicked);
    setItemDelegate(new TLoopCellDelegate(
        [this](const QModelIndex& Index, const QString& Text) {
            emit LoopPointTyped(Index.row(), Index.column() == colLoopStart, Text);
        },
        this));
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
    // The name takes the width the other columns leave them, and they are
    // as wide as their titles and numbers.
    horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    horizontalHeader()->setSectionResizeMode(colName, QHeaderView::Stretch);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!FChangingFromCode)
            emit UserSelected();
    });
    connect(this, &QAbstractItemView::clicked, this, [this] { emit UserSelected(); });
}

int32_t TWaveTable::SelectedIndex() const
{
    const int32_t current = currentIndex().row();
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
    if (Index == currentIndex().row() && SelectedIndices() == std::vector<int32_t>{Index})
        return;
    selectionModel()->setCurrentIndex(model()->index(Index, std::max(currentIndex().column(), 0)),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

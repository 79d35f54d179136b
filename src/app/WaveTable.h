#pragma once
// TWaveTable: the window's list of waves, a view of the list model
// (TWaveListModel; its cells are WaveRowCells.h). A long name is elided in
// the middle. Several rows may be selected; the selection is the view's own
// and only the user or Select changes it. Only the loop cells can be edited;
// what is typed there is handed on (LoopPointTyped), never written into the
// model by the view.

#include <QTableView>

#include <cstdint>
#include <vector>

class TWaveListModel;

class TWaveTable : public QTableView {
    Q_OBJECT
public:
    explicit TWaveTable(TWaveListModel& Model, QWidget* Parent = nullptr);

    // Several rows may be selected; the commands that take one wave take the
    // current row (when it is selected, else the first selected; -1: none).
    int32_t SelectedIndex() const;
    std::vector<int32_t> SelectedIndices() const; // in list order
    // Selects the row at Index alone and makes it current (-1: none) without
    // raising UserSelected.
    void Select(int32_t Index);

signals:
    // The user selected or clicked a row.
    void UserSelected();
    // The user typed Text into the loop-start (Start) or loop-end cell of
    // Row (a double click edits them). The cell shows the model's loop again
    // once the handlers return.
    void LoopPointTyped(int32_t Row, bool Start, const QString& Text);

private:
    bool FChangingFromCode = false; // rows or the selection change without the user
};

#pragma once
// TWaveTable: the window's list of waves, a view of the list model. Row i
// always shows wave i: its name (with what a converted file held), rate,
// length, sample count and loop points, each point as a number when the
// model's loop state shows it and as "-" otherwise, and the seam quality of a
// loop that plays. A wave kept as missing says so in its name and shows no
// numbers of its sound. A long name is elided in the middle; the row's
// tooltip gives the whole path, and a file shorter than its header claims is
// marked and says so there. It follows the model's signals by itself;
// selecting a row is the window's business. Only the loop cells can be edited.

#include <QTableWidget>

#include <cstdint>
#include <vector>

class TWaveInfo;
class TWaveListModel;

class TWaveTable : public QTableWidget {
    Q_OBJECT
public:
    explicit TWaveTable(const TWaveListModel& Model, QWidget* Parent = nullptr);

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
    void ShowRow(int32_t Row);
    void ShowLoop(int32_t Row);
    void ShowFileState(int32_t Row, const TWaveInfo& Wave);
    void SetCell(int32_t Row, int Column, const QString& Text);
    void Rebuild();

    const TWaveListModel& FModel;
    bool FChangingFromCode = false; // rows or the selection change without the user
};

#pragma once
// A main window for tests: a scripted prompter answers its dialogs and the
// player plays into a virtual device that only moves when the test says so.

#include "app/MainWindow.h"
#include "app/Prompter.h"
#include "playback/VirtualWaveOut.h"
#include "support/TestFiles.h"
#include "view/GraphImage.h"

#include <QAction>
#include <QTableView>
#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

inline constexpr QRgb kRedLine = 0xFFFF0000;
inline constexpr QRgb kGreenLine = 0xFF00FF00;
inline constexpr QRgb kBlackLine = 0xFF000000;

// The pixel column of Sample in View (the rounding mapping of marker lines).
int ColumnOf(const TGraphImage& View, int32_t Sample);
// Whether View shows a full-height line of Color at Sample's column.
bool HasMarkerLine(const TGraphImage& View, int32_t Sample, QRgb Color);
// Drags the left button across View from sample From to sample To.
void Drag(TGraphImage* View, int32_t From, int32_t To);

class TScriptedPrompter : public TPrompter {
public:
    // Answers in order; a file answer that is an empty list cancels the dialog.
    std::deque<QStringList> Files;
    std::deque<TAnswer> Answers;
    std::deque<int> Choices; // the index of the button pressed, -1: closed
    // What was asked and shown.
    std::vector<TFileDialog> Dialogs;
    std::vector<QString> Questions;
    std::vector<std::pair<QString, QString>> Errors; // title, text
    std::vector<QString> Warnings;
    int Modals = 0;
    int Beeps = 0;

    QStringList ChooseFiles(QWidget*, TFileDialog& Dialog) override;
    TAnswer AskYesNoCancel(QWidget*, const QString& Title, const QString& Text) override;
    void ShowError(QWidget*, const QString& Title, const QString& Text) override;
    int AskChoice(QWidget*, const QString& Title, const QString& Text, const QStringList& Buttons) override;
    void ShowWarning(QWidget*, const QString&, const QString& Text) override { Warnings.push_back(Text); }
    void ShowModal(QDialog&) override { ++Modals; }
    // The progress dialogs' steps (Done of Steps) and when to cancel one.
    std::vector<std::pair<int, int>> ProgressSteps;
    int CancelAtStep = -1; // none
    std::unique_ptr<TProgress> StartProgress(QWidget*, const QString&, int Steps) override;
    void Beep() override { ++Beeps; }
};

class AppTest : public testing::Test {
protected:
    AppTest();
    ~AppTest() override;

    // A canonical WAV file in the test's folder, its samples a ramp.
    std::string Wav(const std::string& Name, std::size_t Samples, uint32_t Rate = 44100);
    // Adds files through the add command.
    void Add(const std::vector<std::string>& Paths);
    void Trigger(const char* ActionName);
    // Drops files from a file manager on the window.
    void DropFiles(const std::vector<std::string>& Paths);
    QAction* Action(const char* Name) const;
    QTableView* List() const;
    TGraphImage* View(const char* Name) const;
    TGraphImage* Overview() const { return View("AllWaveGraphImage"); }
    TGraphImage* Detail() const { return View("PartWaveGraphImage"); }
    const TWaveInfo& Wave(int Index = 0) const { return *Form->Document().GetWave(Index); }
    // A shortcut past the window's commands: the window hands out its waves
    // read-only, and a test that sets a loop behind its back says so here.
    TWaveInfo& WaveBehindTheWindow(int Index = 0) const { return const_cast<TWaveInfo&>(Wave(Index)); }
    // Places the detail view's cursor on Sample and runs a menu command.
    void MenuAt(const char* Action, int32_t Sample)
    {
        Detail()->SetCursor(Sample);
        Trigger(Action);
    }
    QString Cell(int Row, int Column) const;
    // The columns the wave's file and loop give (not the seam column).
    static constexpr int kWaveColumns = 6;
    std::vector<QString> RowTexts(int Row) const;
    int SelectedRow() const;
    void ClickRow(int Row);
    // The error texts shown so far, and clears them.
    std::vector<QString> TakeErrors();

    TTempDir Dir;
    std::shared_ptr<TVirtualWaveOutDevice> Device;
    TScriptedPrompter* Prompter = nullptr;
    std::unique_ptr<TMainForm> Form;
};

// The main window's file commands: a new list, opening and saving list
// files, exporting the voice bank, adding waves from files (the add dialog,
// a drop on the window, the command line) and closing the window.

#include "app/MainWindow.h"

#include "app/CoreTexts.h"
#include "app/MainWindowConstants.h"
#include "app/MissingWavePrompt.h"
#include "app/NativePath.h"
#include "app/PlaybackController.h"
#include "app/PoorSeams.h"
#include "app/SoundFiles.h"
#include "app/WaveListModel.h"
#include "app/WaveTable.h"
#include "app/WaveViews.h"
#include "app/LoopEditController.h"
#include "document/LoopRules.h"

#include "export/VBKFile.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStatusBar>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace {

// How many waves of a list were found in new places, and in which folders.
QString RelocatedText(const TLoadReport& Report)
{
    QStringList folders;
    for (const TRelocatedWave& wave : Report.Relocated)
        if (const QString folder = QDir::toNativeSeparators(QFileInfo(QString::fromStdString(wave.FoundPath)).absolutePath());
            !folders.contains(folder))
            folders << folder;
    return QCoreApplication::translate("TMainForm", "新しい場所で見つかった wav: %1 個 (%2)")
        .arg(Report.Relocated.size())
        .arg(folders.join(", "));
}

} // namespace

// ---- The save question and the list ----------------------------------------

bool TMainForm::ConfirmDiscard()
{
    if (FModel->Count() == 0 || !Modified())
        return true;
    const QString question =
        FFileName.isEmpty() ? tr("KSDを保存しますか？") : tr("「%1」を保存しますか？").arg(QFileInfo(FFileName).fileName());
    switch (FPrompter->AskYesNoCancel(this, tr("確認"), question)) {
    case TPrompter::TAnswer::Yes:
        if (!FFileName.isEmpty()) {
            SaveKSDTo(FFileName);
            return true;
        }
        return SaveKSDAs();
    case TPrompter::TAnswer::No:
        return true;
    case TPrompter::TAnswer::Cancel:
        break;
    }
    return false;
}

void TMainForm::ClearDocument()
{
    FPlayback->Stop();
    FModel->Clear();
    FViews->Show(nullptr);
    FLoops->ShowSeam();
    SetFileName({});
}

void TMainForm::MainMenu1_NewClick()
{
    if (ConfirmDiscard())
        ClearDocument();
}

void TMainForm::MainMenu1_OpenKSDClick()
{
    if (!ConfirmDiscard())
        return;
    KSDOpenDialog.FileName = FFileName;
    const QStringList chosen = FPrompter->ChooseFiles(this, KSDOpenDialog);
    if (!chosen.isEmpty())
        OpenKSDFile(chosen.first());
}

// Replaces the list with the list file at Path; on failure the list is left
// empty, with no file name.
void TMainForm::OpenKSDFile(const QString& Path)
{
    ClearDocument();
    // A missing wave is looked for from the list's folder.
    WaveLocateDialog.Folder = QDir::toNativeSeparators(QFileInfo(Path).absolutePath());
    const TLoadReport report = FModel->Load(NativePath(Path), MissingWavePrompt(*FPrompter, this, WaveLocateDialog),
                                            UnreadableWavePrompt(*FPrompter, this));
    SetFileName(Path);
    RememberFile(Path);
    SelectWave(FModel->Count() > 0 ? 0 : -1); // the views show the list's first wave
    // Why a list just opened counts as changed, and the entries passed over,
    // which move every later wave up.
    QStringList notes;
    if (!report.Relocated.empty())
        notes << RelocatedText(report);
    for (const int32_t position : report.Unnamed)
        notes << CoreText(UnnamedEntryWarning(position).c_str());
    for (const TCurrentFolderWave& wave : report.NotFromCurrentFolder)
        notes << CoreText(CurrentFolderNote(wave).c_str());
    if (!notes.isEmpty())
        statusBar()->showMessage(notes.join(QStringLiteral(" / ")));
}

void TMainForm::LocateMissingWave()
{
    const int32_t index = WaveListView->SelectedIndex();
    const TWaveInfo* missing = FModel->Wave(index);
    if (!missing || !missing->IsMissing())
        return;
    // The dialog opens in the list's folder with the name the list gives.
    if (!FFileName.isEmpty())
        WaveLocateDialog.Folder = QDir::toNativeSeparators(QFileInfo(FFileName).absolutePath());
    WaveLocateDialog.FileName = QString::fromStdString(missing->WaveName());
    const QStringList chosen = FPrompter->ChooseFiles(this, WaveLocateDialog);
    if (!chosen.isEmpty())
        FModel->ReplaceWave(index, TKSD::ReadLocatedWave(*missing, NativePath(chosen.first())));
}

bool TMainForm::SaveKSDAs()
{
    KSDSaveDialog.FileName = FFileName;
    const QStringList chosen = FPrompter->ChooseFiles(this, KSDSaveDialog);
    if (chosen.isEmpty())
        return false;
    SaveKSDTo(chosen.first());
    return true;
}

void TMainForm::SaveKSDTo(const QString& Path)
{
    FModel->Save(NativePath(Path));
    SetFileName(Path);
    RememberFile(Path);
}

void TMainForm::MainMenu1_OverwriteKSDClick()
{
    if (!FFileName.isEmpty())
        SaveKSDTo(FFileName);
    else
        SaveKSDAs();
}

void TMainForm::MainMenu1_ExportVBKClick()
{
    TVBKFile::CheckExportable(FModel->Document()); // what cannot be exported is said before the dialog
    if (!ConfirmPoorSeams(*FPrompter, this, *FModel, FFileName, FPoorSeamsAccepted))
        return;
    // The bank proposed is the list's namesake beside it.
    if (!FFileName.isEmpty()) {
        const QFileInfo list(FFileName);
        ExportVBKDialog.FileName = QDir::toNativeSeparators(list.dir().filePath(list.completeBaseName() + ".vbk"));
    }
    const QStringList chosen = FPrompter->ChooseFiles(this, ExportVBKDialog);
    if (chosen.isEmpty())
        return;
    const TKSD& list = FModel->Document();
    ExportBank(list, NativePath(chosen.first()), NativePath(FFileName)); // never over the list it came from
    // The bank is written as its format allows; the loops it cannot hold are said.
    QStringList dropped;
    for (int32_t i = 0; i < list.Count(); ++i)
        if (const std::string text = BankDropsLoop(*list.GetWave(i)); !text.empty())
            dropped << QString::fromStdString(text);
    if (!dropped.isEmpty())
        FPrompter->ShowWarning(this, mainform::kTitle, dropped.join('\n'));
    statusBar()->showMessage(tr("VBKをエクスポートしました: %1").arg(QDir::toNativeSeparators(chosen.first())));
}

// The window may close when nothing unsaved would be lost (the same save
// question as before the list is replaced); closing stops playback.
bool TMainForm::FormCloseQuery()
{
    const bool mayClose = ConfirmDiscard();
    if (mayClose)
        FPlayback->Stop();
    return mayClose;
}

void TMainForm::closeEvent(QCloseEvent* Event)
{
    bool mayClose = false;
    // A save that fails here is shown, and the window stays open.
    RunCommand([&] { mayClose = FormCloseQuery(); });
    if (mayClose) {
        SaveSession();
        Event->accept();
    } else {
        Event->ignore();
    }
}

// ---- Adding waves -------------------------------------------------------------

void TMainForm::AppendFiles(const QStringList& Paths, TShownWave Shown)
{
    std::vector<std::unique_ptr<TWaveInfo>> waves;
    const auto addRead = [&] {
        const int first = FModel->Count();
        FModel->AppendWaves(std::move(waves), Shown == TShownWave::First ? 0 : -1);
        // The new rows come into sight, the first of them above all.
        if (FModel->Count() > first) {
            WaveListView->scrollTo(WaveListView->model()->index(FModel->Count() - 1, 0));
            WaveListView->scrollTo(WaveListView->model()->index(first, 0));
        }
    };
    try {
        for (const QString& path : Paths)
            waves.push_back(TKSD::ReadWave(NativePath(path)));
    } catch (...) {
        addRead();
        throw;
    }
    addRead();
}

// Reads every chosen file; the waves read before a failing file are added
// (one undo step), the first of them selected and shown, and the error shown.
void TMainForm::MainMenu1_AddWaveClick() { AppendFiles(FPrompter->ChooseFiles(this, WaveOpenDialog), TShownWave::First); }

void TMainForm::dragEnterEvent(QDragEnterEvent* Event)
{
    if (Event->mimeData()->hasUrls())
        Event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* Event)
{
    QStringList names;
    for (const QUrl& url : Event->mimeData()->urls())
        if (url.isLocalFile())
            names << url.toLocalFile();
    Event->acceptProposedAction();
    RunCommand([&] { WMDropFiles(names); });
}

// Takes the dropped files in order, by suffix: a list file replaces the
// list, sound files are appended (the first of the drop is shown), others
// are ignored. Sound files go into the list as one undo step at each list
// file and at the end of the drop; the first failure ends the drop.
void TMainForm::WMDropFiles(const QStringList& Names)
{
    QStringList waiting;
    bool firstWaves = true;
    const auto addWaiting = [&] {
        if (waiting.isEmpty())
            return;
        const QStringList paths = std::exchange(waiting, {});
        AppendFiles(paths, std::exchange(firstWaves, false) ? TShownWave::First : TShownWave::None);
    };
    for (const QString& name : Names) {
        if (IsListFile(name)) {
            addWaiting();
            if (ConfirmDiscard())
                OpenKSDFile(name);
        } else if (IsSoundFile(name)) {
            waiting << name;
        }
    }
    addWaiting();
}

// A list file is opened; every other argument is read as a sound file, and
// the waves read start the list (the first shown). Each argument that cannot
// be read is reported on its own and the rest still open.
void TMainForm::OpenArguments(const QStringList& Paths)
{
    std::vector<std::unique_ptr<TWaveInfo>> waves;
    for (const QString& path : Paths) {
        if (IsListFile(path))
            RunCommand([&] { OpenKSDFile(path); });
        else
            RunCommand([&] { waves.push_back(TKSD::ReadWave(NativePath(path))); });
    }
    RunCommand([&] { FModel->AppendWaves(std::move(waves), 0); });
}

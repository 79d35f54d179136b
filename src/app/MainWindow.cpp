#include "app/MainWindow.h"

#include "app/MainWindowConstants.h"
#include "app/RecentFiles.h"
#include "app/Version.h"
#include "common/ErrorText.h"
#include "document/LoopRules.h"
#include "playback/LowLVPCM.h"
#include "view/GraphImage.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QTableWidget>
#include <QTimer>
#include <QUndoStack>
#include <QUrl>

#include <algorithm>

namespace {

using namespace mainform;

std::string Utf8(const QString& Text) { return Text.toStdString(); }

} // namespace

TMainForm::TMainForm(std::unique_ptr<TPrompter> Prompter, std::shared_ptr<TWaveOutDevice> Device, QWidget* Parent)
    : QMainWindow(Parent), FPrompter(std::move(Prompter))
{
    Q_INIT_RESOURCE(Icons);
    setObjectName("MainForm");
    setWindowTitle(kTitle);
    setWindowIcon(QIcon(":/icons/vantrel.svg"));
    resize(686, 441);
    setAcceptDrops(true);
    FUndoStack = new QUndoStack(this);
    FRecentFiles = std::make_unique<TRecentFiles>();
    CreateActions();
    CreateUndoActions();
    AssignShortcuts();
    CreateMenus();
    CreateToolBar();
    CreateWidgets();
    CreatePopupMenus();
    CreateLoopFinding();
    CreatePlayer(std::move(Device));
    RestoreSession();
}

TMainForm::~TMainForm()
{
    // The player's worker reads the playing wave: stop it before the list goes.
    if (LowLVPCM1)
        LowLVPCM1->Stop();
    LowLVPCM1.reset();
    // The undo stack is a child: Qt deletes it after this destructor, and it
    // still signals on the way out, when no handler of this window may run.
    FUndoStack->disconnect(this);
}

bool TMainForm::RunCommand(const std::function<void()>& Command)
{
    QString message;
    try {
        Command();
        return true;
    } catch (const Exception& e) {
        message = QString::fromStdString(ErrorText(e));
    } catch (const std::exception& e) {
        message = QString::fromStdString(ErrorText(e.what()));
    }
    FPrompter->ShowError(this, kTitle, message);
    return false;
}

// ---- Rows and selection -------------------------------------------------

int TMainForm::SelectedIndex() const
{
    const QModelIndexList rows = WaveListView->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void TMainForm::SelectIndex(int Index)
{
    FSelectingFromCode = true;
    if (Index < 0)
        WaveListView->clearSelection();
    else
        WaveListView->selectRow(Index);
    FSelectingFromCode = false;
}

TWaveInfo* TMainForm::SelectedWave() const { return FKSD.GetWave(SelectedIndex()); }

void TMainForm::SetCell(int Row, int Column, const QString& Text)
{
    if (QTableWidgetItem* item = WaveListView->item(Row, Column))
        item->setText(Text);
    else
        WaveListView->setItem(Row, Column, new QTableWidgetItem(Text));
}

void TMainForm::SetRow(int Row, const TWaveInfo& Wave)
{
    // A converted file says what it held, e.g. "a.wav (24-bit 2ch から変換)".
    const std::string source = Wave.Source().empty() ? "" : " (" + Wave.Source() + " から変換)";
    SetCell(Row, colName, QString::fromStdString(Wave.WaveName() + source));
    SetCell(Row, colRate, QString::number(Wave.SamplesPerSec()));
    SetCell(Row, colLength, QString::number(Wave.LengthMSec()));
    SetCell(Row, colSamples, QString::number(Wave.SampleCount()));
    SetCell(Row, colLoopStart, Wave.Loop().IsSet() ? QString::number(Wave.LoopStart()) : "-");
    // A start without an end yet shows as the loop commands leave it: no end.
    SetCell(Row, colLoopEnd, Wave.LoopEnd() != 0 ? QString::number(Wave.LoopEnd()) : "-");
}

void TMainForm::AppendRow(const TWaveInfo& Wave)
{
    const int row = WaveListView->rowCount();
    WaveListView->insertRow(row);
    SetRow(row, Wave);
}

// ---- Views --------------------------------------------------------------

void TMainForm::ClearViews()
{
    for (TGraphImage* view : {AllWaveGraphImage, PartWaveGraphImage}) {
        view->SetWaveInfo(nullptr);
        view->ClearSelection();
        view->ClearMarkers();
    }
    ShowSeam();
}

void TMainForm::ShowWave(TWaveInfo* Wave)
{
    for (TGraphImage* view : {AllWaveGraphImage, PartWaveGraphImage}) {
        view->SetWaveInfo(Wave);
        view->ClearSelection();
        view->ClearMarkers();
    }
    AllWaveGraphImage->SetView(0, Wave->SampleCount());
    PartWaveGraphImage->SetView(Wave->ViewStart(), Wave->ViewEnd());
    ShowSeam();
}

void TMainForm::WaveListViewClick()
{
    TWaveInfo* wave = SelectedWave();
    if (!wave) {
        ClearViews();
        return;
    }
    ShowWave(wave);
    if (wave->LoopEnd() > 0) {
        SetMarkerInBoth(kLoopStart, kRed, wave->LoopStart());
        SetMarkerInBoth(kLoopEnd, kGreen, wave->LoopEnd());
    }
}

// ---- The save question and the document ---------------------------------

TPrompter::TAnswer TMainForm::AskSave()
{
    return FPrompter->AskYesNoCancel(this, "確認", "KSDを保存しますか？");
}

bool TMainForm::ConfirmDiscard()
{
    if (FKSD.Count() == 0 || !Modified())
        return true;
    switch (AskSave()) {
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
    LowLVPCM1->Stop();
    FUndoStack->clear(); // its commands may hold waves of the old list
    FKSD.Clear();
    WaveListView->setRowCount(0);
    ClearViews();
    FFileName.clear();
}

void TMainForm::MainMenu1_NewClick()
{
    if (!ConfirmDiscard())
        return;
    ClearDocument();
}

void TMainForm::MainMenu1_OpenKSDClick()
{
    if (ConfirmDiscard())
        OpenKSDWithDialog();
}

bool TMainForm::OpenKSDWithDialog()
{
    KSDOpenDialog.FileName = FFileName;
    const QStringList chosen = FPrompter->ChooseFiles(this, KSDOpenDialog);
    if (chosen.isEmpty())
        return false;
    OpenKSDFile(chosen.first());
    return true;
}

// Replaces the document with the list file at Path, unmodified, with nothing
// to undo; on failure the document is left empty, with no file name.
void TMainForm::OpenKSDFile(const QString& Path)
{
    ClearDocument();
    FFileName = Path;
    try {
        FKSD.LoadFromFile(Utf8(Path));
    } catch (...) {
        FKSD.Clear();
        FFileName.clear();
        throw;
    }
    for (int i = 0; i < FKSD.Count(); ++i)
        AppendRow(*FKSD.GetWave(i));
    RememberFile(Path);
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
    FKSD.SaveToFile(Utf8(Path));
    FFileName = Path;
    FUndoStack->setClean();
    RememberFile(Path);
}

void TMainForm::MainMenu1_OverwriteKSDClick()
{
    if (!FFileName.isEmpty())
        SaveKSDTo(FFileName);
    else
        SaveKSDAs();
}

void TMainForm::MainMenu1_SaveAsKSDClick() { SaveKSDAs(); }

void TMainForm::MainMenu1_ExportVBKClick()
{
    if (FKSD.Count() < 1)
        throw EVantrelError("waveが登録されていません");
    const QStringList chosen = FPrompter->ChooseFiles(this, ExportVBKDialog);
    if (chosen.isEmpty())
        return;
    FKSD.Export(Utf8(chosen.first()), Utf8(FFileName)); // never over the list it came from
    // The bank is written as the format allows; the loops it could not hold are said.
    QStringList dropped;
    for (int32_t i = 0; i < FKSD.Count(); ++i)
        if (const std::string text = BankDropsLoop(*FKSD.GetWave(i)); !text.empty())
            dropped << QString::fromStdString(text);
    if (!dropped.isEmpty())
        FPrompter->ShowWarning(this, kTitle, dropped.join('\n'));
}

void TMainForm::MainMenu1_ExitClick() { close(); }

// The window may close when nothing unsaved would be lost (the same save
// question as before the document is replaced); closing stops playback.
bool TMainForm::FormCloseQuery()
{
    const bool mayClose = ConfirmDiscard();
    if (mayClose)
        LowLVPCM1->Stop();
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

// ---- Editing the list ---------------------------------------------------

// Reads every chosen file; the waves read before a failing file are added
// (one undo step), the last of them selected and shown, and the error shown.
void TMainForm::MainMenu1_AddWaveClick()
{
    const QStringList chosen = FPrompter->ChooseFiles(this, WaveOpenDialog);
    std::vector<std::unique_ptr<TWaveInfo>> waves;
    const auto addRead = [&] {
        const int last = static_cast<int>(waves.size()) - 1;
        AppendWaves(std::move(waves), last);
    };
    try {
        for (const QString& path : chosen)
            waves.push_back(TKSD::ReadWave(Utf8(path)));
    } catch (...) {
        addRead();
        throw;
    }
    addRead();
}

void TMainForm::MainMenu1_DeleteWaveClick()
{
    const int index = SelectedIndex();
    if (index >= 0)
        Push(std::make_unique<TDeleteWaveCommand>(Editor(), index, "wav削除"));
}

void TMainForm::MainMenu1_MoveUpClick()
{
    const int i = SelectedIndex();
    if (i > 0)
        Push(std::make_unique<TMoveWaveCommand>(Editor(), i, i - 1, "上に移動"));
}

void TMainForm::MainMenu1_MoveDownClick()
{
    const int i = SelectedIndex();
    if (i >= 0 && i < WaveListView->rowCount() - 1)
        Push(std::make_unique<TMoveWaveCommand>(Editor(), i, i + 1, "下に移動"));
}

void TMainForm::MainMenu1_AboutClick() { FPrompter->ShowModal(*VersionForm); }

// ---- Dropped files ------------------------------------------------------

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

// Takes the dropped files in order, by extension: a list file replaces the
// document, sound files (WAV, AIFF, FLAC) are appended (the first of the
// drop is shown), others are ignored. The first failure ends the drop.
void TMainForm::WMDropFiles(const QStringList& Names)
{
    static const QStringList soundSuffixes = {"wav", "aif", "aiff", "aifc", "flac"};
    // Sound files wait here until a list file, the end of the drop or a
    // failure, and go into the list as one undo step.
    std::vector<std::unique_ptr<TWaveInfo>> waves;
    bool firstWave = true;
    const auto addWaiting = [&] {
        if (waves.empty())
            return;
        AppendWaves(std::move(waves), firstWave ? 0 : -1);
        waves.clear();
        firstWave = false;
    };
    try {
        for (const QString& name : Names) {
            const QString suffix = QFileInfo(name).suffix().toLower();
            if (suffix == "ksd") {
                addWaiting();
                if (ConfirmDiscard())
                    OpenKSDFile(name);
            } else if (soundSuffixes.contains(suffix)) {
                waves.push_back(TKSD::ReadWave(Utf8(name)));
            }
        }
    } catch (...) {
        addWaiting();
        throw;
    }
    addWaiting();
}

// Playing the selected wave with its loop: the play and stop commands, the
// start and stop reports brought to the main thread, and the moving play
// cursor. What is played is the feeder's (TLoopFeeder) job, on the player's
// worker thread.

#include "app/MainWindow.h"

#include "app/MainWindowConstants.h"
#include "common/ErrorText.h"
#include "playback/LowLVPCM.h"
#include "view/GraphImage.h"

#include <QAction>
#include <QMenu>
#include <QTableWidget>
#include <QTimer>

namespace {

using namespace mainform;

constexpr uint16_t kBitsPerSample = 16;

} // namespace

// The player runs its events on its worker thread: the feeder runs there,
// while the start and stop reports and errors are only posted to this
// window's thread (the worker must never wait for the main thread).
void TMainForm::CreatePlayer(std::shared_ptr<TWaveOutDevice> Device)
{
    LowLVPCM1 = std::make_unique<TLowLVPCM>(std::move(Device));
    LowLVPCM1->SetnSamplesPerSec(44100);
    LowLVPCM1->SetwBitsPerSample(kBitsPerSample);
    LowLVPCM1->SetUsewaveOutGetPostion(false);
    LowLVPCM1->SetOnBufferEmpty([this](TPCMThread*) { FFeeder.Feed(*LowLVPCM1); });
    LowLVPCM1->SetOnPlayStart(
        [this](TPCMThread*) { QMetaObject::invokeMethod(this, [this] { WMPlayStart(); }, Qt::QueuedConnection); });
    LowLVPCM1->SetOnPlayStop(
        [this](TPCMThread*) { QMetaObject::invokeMethod(this, [this] { WMPlayStop(); }, Qt::QueuedConnection); });
    LowLVPCM1->SetOnError([this](const std::string& Message, const std::string& Caption) {
        const QString message = QString::fromStdString(Message);
        const QString caption = QString::fromStdString(Caption);
        QMetaObject::invokeMethod(
            this, [this, message, caption] { PlayerError(message, caption); }, Qt::QueuedConnection);
    });
}

void TMainForm::MainMenu1_PlayStartClick()
{
    LowLVPCM1->Stop();
    const int index = SelectedIndex();
    const TWaveInfo* wave = FKSD.GetWave(index);
    if (!wave)
        return;
    FFeeder.Start(*wave, LowLVPCM1->BufferSize());
    FPlayIndex = index;
    LowLVPCM1->SetDeviceID(TWaveOutDevice::DefaultOutput);
    LowLVPCM1->SetnChannels(1);
    LowLVPCM1->SetnSamplesPerSec(static_cast<uint32_t>(wave->SamplesPerSec()));
    LowLVPCM1->SetwBitsPerSample(kBitsPerSample);
    SetMarkerInBoth(kPlayCursor, kBlack, 0);
    LowLVPCM1->Play();
    CursorTimer->start();
}

void TMainForm::MainMenu1_PlayStopClick() { LowLVPCM1->Stop(); }

void TMainForm::CursorTimerTimer() { SetMarkerInBoth(kPlayCursor, kBlack, FFeeder.Position()); }

void TMainForm::WMPlayStart()
{
    SetPlayingState(true);
    // A play command given while a wave played: the old playback's stop
    // report switched the cursor off; this playback runs with its own.
    CursorTimer->start();
}

void TMainForm::WMPlayStop()
{
    CursorTimer->stop();
    SetPlayingState(false);
    WaveListView->setFocus();
    RemoveMarkerInBoth(kPlayCursor);
}

// While a wave plays nothing that could change the list or a loop is enabled.
void TMainForm::SetPlayingState(bool Playing)
{
    for (QWidget* widget : {static_cast<QWidget*>(AllWaveGraphImage), static_cast<QWidget*>(PartWaveGraphImage),
                            static_cast<QWidget*>(WaveListView)})
        widget->setEnabled(!Playing);
    MainMenu1_Edit->menuAction()->setEnabled(!Playing);
    for (QAction* action : {MainMenu1_AddWave, MainMenu1_DeleteWave, MainMenu1_MoveUp, MainMenu1_MoveDown,
                            MainMenu1_LoopStart, MainMenu1_LoopEnd, MainMenu1_LoopClear})
        action->setEnabled(!Playing);
    PlayingChanged(Playing);
}

// An error reported by the player's worker, on the main thread. A device that
// cannot be opened leaves no playback: the cursor goes. Any other error stops
// the player and is shown like every command's error.
void TMainForm::PlayerError(const QString& Message, const QString& Caption)
{
    if (!Caption.isEmpty()) {
        CursorTimer->stop();
        RemoveMarkerInBoth(kPlayCursor);
        FPrompter->ShowError(this, Caption, Message);
        return;
    }
    LowLVPCM1->Stop();
    FPrompter->ShowError(this, kTitle, QString::fromStdString(ErrorText(Message.toStdString())));
}

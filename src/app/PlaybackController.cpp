#include "app/PlaybackController.h"

#include "app/CoreTexts.h"
#include "app/MainWindowConstants.h"
#include "app/WaveViews.h"
#include "common/ErrorText.h"
#include "playback/LowLVPCM.h"

#include <QAction>
#include <QKeySequence>
#include <QTimer>

namespace {

using namespace mainform;

constexpr uint16_t kBitsPerSample = 16;
constexpr int kCursorIntervalMs = 20;
const QKeySequence kPlayKey(Qt::Key_Space);

} // namespace

TPlaybackController::TPlaybackController(std::shared_ptr<TWaveOutDevice> Device, TWaveViews& Views, QObject* Parent)
    : QObject(Parent), FViews(Views), FDevice(Device), FPlayer(std::make_unique<TLowLVPCM>(std::move(Device))),
      FCursorTimer(new QTimer(this))
{
    FCursorTimer->setObjectName("CursorTimer");
    FCursorTimer->setInterval(kCursorIntervalMs);
    connect(FCursorTimer, &QTimer::timeout, this,
            [this] { FViews.SetMarker(kPlayCursor, kBlack, FFeeder.Position()); });

    FPlayer->SetnSamplesPerSec(44100);
    FPlayer->SetwBitsPerSample(kBitsPerSample);
    FPlayer->SetUsewaveOutGetPostion(false);
    FPlayer->SetOnBufferEmpty([this](TPCMThread*) { FFeeder.Feed(*FPlayer); });
    FPlayer->SetOnPlayStart(
        [this](TPCMThread*) { QMetaObject::invokeMethod(this, [this] { Started(); }, Qt::QueuedConnection); });
    FPlayer->SetOnPlayStop(
        [this](TPCMThread*) { QMetaObject::invokeMethod(this, [this] { Stopped(); }, Qt::QueuedConnection); });
    FPlayer->SetOnError([this](const std::string& Message, const std::string& Caption) {
        const QString message = QString::fromStdString(Message);
        const QString caption = QString::fromStdString(Caption);
        QMetaObject::invokeMethod(
            this, [this, message, caption] { ReportError(message, caption); }, Qt::QueuedConnection);
    });
}

TPlaybackController::~TPlaybackController()
{
    FPlayer->Stop();
    FPlayer.reset();
}

void TPlaybackController::Play(const TWaveInfo* Wave, int32_t From)
{
    Begin(Wave, [this, From](const TWaveInfo& Wave, uint32_t BlockBytes) { FFeeder.Start(Wave, BlockBytes, From); });
}

void TPlaybackController::Audition(const TWaveInfo* Wave)
{
    Begin(Wave, [this](const TWaveInfo& Wave, uint32_t BlockBytes) { FFeeder.StartAudition(Wave, BlockBytes); });
}

void TPlaybackController::Follow(const TWaveInfo* Wave)
{
    if (!Wave || Wave != FWave || FFollowPending)
        return;
    FFollowPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            FFollowPending = false;
            if (FWave)
                FFeeder.Follow(*FWave);
        },
        Qt::QueuedConnection);
}

void TPlaybackController::Release(const TWaveInfo* Wave)
{
    if (Wave && Wave != FWave)
        return;
    FPlayer->Stop();
    FWave = nullptr;
}

void TPlaybackController::Begin(const TWaveInfo* Wave, const TFeederStart& Start)
{
    FPlayer->Stop();
    FWave = nullptr;
    if (!Wave)
        return;
    FPlayer->SetBufferSize(LiveBlockBytes(Wave->SamplesPerSec()));
    Start(*Wave, FPlayer->BufferSize());
    FWave = Wave;
    FPlayer->SetDeviceID(TWaveOutDevice::DefaultOutput);
    FPlayer->SetnChannels(1);
    FPlayer->SetnSamplesPerSec(static_cast<uint32_t>(Wave->SamplesPerSec()));
    FPlayer->SetwBitsPerSample(kBitsPerSample);
    FViews.SetMarker(kPlayCursor, kBlack, FFeeder.Position());
    FPlayer->Play();
    FCursorTimer->start();
}

void TPlaybackController::Stop() { FPlayer->Stop(); }

void TPlaybackController::BindPlayKey(QAction* Play, QAction* Stop)
{
    FPlayAction = Play;
    FStopAction = Stop;
    FPlayAction->setShortcut(kPlayKey);
}

void TPlaybackController::Started()
{
    SetPlaying(true);
    // A play command given while a wave played: the old playback's stop
    // report switched the cursor off; this playback runs with its own.
    FCursorTimer->start();
}

void TPlaybackController::Stopped()
{
    FCursorTimer->stop();
    SetPlaying(false);
    FViews.RemoveMarker(kPlayCursor);
}

void TPlaybackController::SetPlaying(bool Playing)
{
    FPlaying = Playing;
    if (FPlayAction && FStopAction) {
        FPlayAction->setShortcut(Playing ? QKeySequence() : kPlayKey);
        FStopAction->setShortcut(Playing ? kPlayKey : QKeySequence());
    }
    emit PlayingChanged(Playing);
}

// For a device that did not open and knows why: a line with the reason and
// one with what to do.
QString TPlaybackController::DeviceAdvice(const TOpenFailure& Failure)
{
    QString reason;
    QString advice;
    switch (Failure.Kind) {
    case TOpenFailure::Unknown:
        return {};
    case TOpenFailure::NoDevice:
        reason = tr("出力デバイスが見つかりません");
        advice = tr("スピーカーかヘッドホンをつなぎ、システムのサウンド設定で出力デバイスを選んでください。");
        break;
    case TOpenFailure::Busy:
        reason = tr("出力デバイスはほかのプログラムが使用中です");
        advice = tr("ほかのプログラムの再生を止めてから、もう一度再生してください。");
        break;
    case TOpenFailure::Other:
        reason = tr("出力デバイスを開けません");
        advice = tr("システムのサウンド設定で出力デバイスを確かめてから、もう一度再生してください。");
        break;
    }
    if (!Failure.Detail.empty())
        reason += QString(" (%1)").arg(QString::fromStdString(Failure.Detail));
    return "\n" + tr("理由: %1").arg(reason) + "\n" + advice;
}

// A device that cannot be opened leaves no playback: the cursor goes. Any
// other error stops the player and is shown like every command's error.
void TPlaybackController::ReportError(const QString& Message, const QString& Caption)
{
    if (!Caption.isEmpty()) {
        FCursorTimer->stop();
        FViews.RemoveMarker(kPlayCursor);
        emit ErrorOccurred(Caption, CoreText(Message.toUtf8().constData()) + DeviceAdvice(FDevice->LastOpenFailure()));
        return;
    }
    FPlayer->Stop();
    emit ErrorOccurred(kTitle, QString::fromStdString(ErrorText(CoreText(Message.toUtf8().constData()).toStdString())));
}

#pragma once
// TPlaybackController: plays one wave with its loop. It holds the player, the
// feeder that gives the player the wave's samples, the play cursor the views
// show while a wave plays, and the play key, which plays when idle and stops
// while a wave plays.
//
// While a wave plays, its loop and fade may be edited: Follow hands each
// change to the feeder, heard from the next block it fills.
//
// Threads: the feeder runs on the player's worker thread; it never reads the
// list, and takes the wave's loop and fade only as Follow publishes them on
// the main thread. The playing wave's samples must outlive the playback, so
// whatever removes waves stops the player first (Release). The player's
// start and stop reports and errors are only posted to the main thread (the
// worker never waits for it); the signals are emitted there.

#include "playback/LoopFeeder.h"

#include <QObject>

#include <functional>
#include <memory>

class QAction;
class QTimer;
class TLowLVPCM;
class TWaveInfo;
class TWaveOutDevice;
struct TOpenFailure;
class TWaveViews;

class TPlaybackController : public QObject {
    Q_OBJECT
public:
    // Device is the audio output; Views show the play cursor.
    TPlaybackController(std::shared_ptr<TWaveOutDevice> Device, TWaveViews& Views, QObject* Parent = nullptr);
    ~TPlaybackController() override; // stops the player

    TLowLVPCM& Player() const { return *FPlayer; }
    bool Playing() const { return FPlaying; }
    // Plays Wave from its start, or from From on (stopping what plays); null
    // only stops.
    void Play(const TWaveInfo* Wave, int32_t From = 0);
    // The wave played last (playing or not), until Release lets go of it.
    const TWaveInfo* Wave() const { return FWave; }
    // Wave's loop or fade changed: when it is the wave playing, what plays
    // follows, once for all the changes of one turn of the event loop (a
    // drag's release puts the old loop back before it sets the new one).
    void Follow(const TWaveInfo* Wave);
    // Wave leaves the list (null: the whole list does): its playback stops
    // before it goes.
    void Release(const TWaveInfo* Wave);
    // Plays the seam of Wave's loop over and over (TLoopFeeder::
    // StartAudition) until stopped; null only stops. The cursor follows it.
    void Audition(const TWaveInfo* Wave);
    void Stop();
    // Play gets the play key now, Stop while a wave plays.
    void BindPlayKey(QAction* Play, QAction* Stop);

signals:
    void PlayingChanged(bool Playing);
    // An error of the player, for the window to show.
    void ErrorOccurred(const QString& Title, const QString& Text);

private:
    // Stops what plays, then plays Wave (if any) as Start starts the feeder.
    using TFeederStart = std::function<void(const TWaveInfo& Wave, uint32_t BlockBytes)>;
    void Begin(const TWaveInfo* Wave, const TFeederStart& Start);
    void Started();
    void Stopped();
    void SetPlaying(bool Playing);
    void ReportError(const QString& Message, const QString& Caption);
    static QString DeviceAdvice(const TOpenFailure& Failure);

    TWaveViews& FViews;
    TLoopFeeder FFeeder;
    std::shared_ptr<TWaveOutDevice> FDevice; // also the player's: asked why it did not open
    std::unique_ptr<TLowLVPCM> FPlayer;
    QTimer* FCursorTimer;
    bool FPlaying = false;
    const TWaveInfo* FWave = nullptr;
    bool FFollowPending = false;
    QAction* FPlayAction = nullptr;
    QAction* FStopAction = nullptr;
};

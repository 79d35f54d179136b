// The player and the feeder through PortAudio into a real-time sound server:
// a private PulseAudio server with a null sink, reached through ALSA's pulse
// plugin, plays a looped wave for about five seconds while parec records the
// sink's monitor. Unlike ALSA's file plugin, the server consumes samples at
// the sound card's pace, so a late block shows as a gap and a slow Stop as
// sound after it.

#include "playback/AlsaTestConfig.h"
#include "playback/LoopFeeder.h"
#include "playback/LowLVPCM.h"
#include "playback/PlayerHarness.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <thread>

// The sound server's client library, loaded by ALSA's pulse plugin, is not
// built for ThreadSanitizer: it synchronises its own threads in ways the
// sanitizer cannot see. Reports that pass through it are not about this code.
extern "C" const char* __tsan_default_suppressions()
{
    return "race:libpulse\n";
}

namespace {

using namespace std::chrono_literals;
using TClock = std::chrono::steady_clock;

constexpr uint32_t kRate = 44100;
constexpr const char* kSink = "vantrel";

std::string TextOf(const std::string& Path)
{
    const std::vector<uint8_t> bytes = ReadBytes(Path);
    return std::string(bytes.begin(), bytes.end());
}

// A program run with its own environment, its input from /dev/null and its
// output and errors to the given file descriptors (kept by the caller).
// Ended by its process id when the object goes.
class TChildProcess {
public:
    TChildProcess(std::vector<std::string> Args, std::vector<std::string> Env, int Output, int Errors)
    {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, Output, 1);
        posix_spawn_file_actions_adddup2(&actions, Errors, 2);
        std::vector<char*> argv, envp;
        for (std::string& arg : Args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        for (std::string& var : Env)
            envp.push_back(var.data());
        envp.push_back(nullptr);
        if (posix_spawnp(&FPid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
            FPid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~TChildProcess() { End(); }
    TChildProcess(const TChildProcess&) = delete;
    TChildProcess& operator=(const TChildProcess&) = delete;

    bool Running() const { return FPid > 0 && waitpid(FPid, nullptr, WNOHANG) == 0; }

    // Waits for the program's end; whether it exited with status 0.
    bool Succeeds()
    {
        int status = -1;
        if (FPid > 0)
            waitpid(FPid, &status, 0);
        FPid = -1;
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

    // Asks the program to end, and kills it when it has not after 3 s.
    void End()
    {
        if (FPid <= 0)
            return;
        kill(FPid, SIGTERM);
        for (int i = 0; i < 300 && Running(); ++i)
            std::this_thread::sleep_for(10ms);
        if (Running()) {
            kill(FPid, SIGKILL);
            waitpid(FPid, nullptr, 0);
        }
        FPid = -1;
    }

private:
    pid_t FPid = -1;
};

// A file descriptor closed when the object goes.
struct TFd {
    int Fd;
    ~TFd() { close(Fd); }
};

// A PulseAudio server of the test's own, in a private runtime folder, with a
// 44100 Hz mono null sink as its only output and a socket in that folder.
class TPulseServer {
public:
    explicit TPulseServer(const TTempDir& Dir)
        : FSocket(Dir.File("native")), FLog(Dir.File("pulseaudio.log")),
          FEnv{"HOME=" + Dir.Path().string(), "XDG_RUNTIME_DIR=" + Dir.Path().string(),
               "PULSE_RUNTIME_PATH=" + Dir.Path().string(), "PULSE_STATE_PATH=" + Dir.Path().string(),
               "PULSE_SERVER=unix:" + FSocket, "PATH=" + std::string(getenv("PATH") ? getenv("PATH") : "/usr/bin")}
    {
        const TFd log{open(FLog.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600)};
        // Without rewinds the sink never plays a stretch again once the
        // monitor has passed it on, so the recording shows every sample.
        const std::string sink = std::string("module-null-sink sink_name=") + kSink +
                                 " format=s16le rate=44100 channels=1 norewinds=1";
        const std::string socket = "module-native-protocol-unix auth-anonymous=1 socket=" + FSocket;
        FServer = Client({"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
                          "--log-target=stderr", "-L", sink, "-L", socket},
                         log.Fd, log.Fd);
        // Ready once a client gets an answer through the socket.
        const TFd null{open("/dev/null", O_WRONLY)};
        for (int i = 0; i < 100 && FServer->Running() && !FReady; ++i) {
            std::this_thread::sleep_for(50ms);
            FReady = std::filesystem::exists(FSocket) && Client({"pactl", "info"}, null.Fd, null.Fd)->Succeeds();
        }
    }

    bool Ready() const { return FReady; }
    const std::string& Socket() const { return FSocket; }
    std::string Log() const { return TextOf(FLog); }
    // A program that talks to this server. It is killed when the test's
    // process ends, so that a test that crashes or is halted by a sanitizer
    // leaves no server behind.
    std::unique_ptr<TChildProcess> Client(std::vector<std::string> Args, int Output, int Errors) const
    {
        Args.insert(Args.begin(), {"setpriv", "--pdeathsig", "KILL", "--"});
        return std::make_unique<TChildProcess>(std::move(Args), FEnv, Output, Errors);
    }

private:
    std::string FSocket;
    std::string FLog;
    std::vector<std::string> FEnv;
    std::unique_ptr<TChildProcess> FServer;
    bool FReady = false;
};

// Records the sink's monitor with parec into a file, which grows as the sink
// plays, a few milliseconds behind it.
class TMonitorRecorder {
public:
    TMonitorRecorder(const TPulseServer& Server, const TTempDir& Dir)
        : FPath(Dir.File("monitor.raw")), FLog(Dir.File("parec.log"))
    {
        const TFd output{open(FPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600)};
        const TFd errors{open(FLog.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600)};
        FParec = Server.Client({"parec", "--raw", "--format=s16le", "--rate=44100", "--channels=1",
                                "--latency-msec=5", std::string("--device=") + kSink + ".monitor"},
                               output.Fd, errors.Fd);
    }

    std::size_t Samples() const
    {
        std::error_code error;
        return std::filesystem::file_size(FPath, error) / 2;
    }
    // Waits until the monitor's first samples (silence) have come in.
    bool WaitUntilRecording() const
    {
        for (int i = 0; i < 500 && Samples() == 0; ++i)
            std::this_thread::sleep_for(10ms);
        return Samples() > 0;
    }
    std::string Log() const { return TextOf(FLog); }

    // Ends parec and returns every sample it recorded.
    std::vector<int16_t> Finish()
    {
        FParec->End();
        return Int16Samples(ReadBytes(FPath));
    }

private:
    std::string FPath;
    std::string FLog;
    std::unique_ptr<TChildProcess> FParec;
};

// PortAudio's default output is ALSA's default PCM, here Server through
// ALSA's pulse plugin; the plugin's client library keeps to the private
// folder too.
void RouteDefaultOutputTo(const TPulseServer& Server, const TTempDir& Dir)
{
    UseAlsaConfig(Dir, "pcm.!default {\n    type pulse\n    server \"unix:" + Server.Socket() + "\"\n}\n");
    setenv("PULSE_SERVER", ("unix:" + Server.Socket()).c_str(), 1);
    setenv("XDG_RUNTIME_DIR", Dir.Path().c_str(), 1);
}

// Samples 1 .. 10000 (none silent), looped from 3000 to the end.
constexpr int32_t kWaveSamples = 10000;
constexpr int32_t kLoopStart = 3000;

int16_t ExpectedSample(std::size_t Index)
{
    const std::size_t loop = kWaveSamples - kLoopStart;
    const std::size_t position = Index < kWaveSamples ? Index : kLoopStart + (Index - kWaveSamples) % loop;
    return static_cast<int16_t>(position + 1);
}

TEST(PulseAudioTest, LoopedWavePlaysInRealTimeWithoutAGapAndStopsAtOnce)
{
    TTempDir dir;
    TPulseServer server(dir);
    if (!server.Ready())
        GTEST_SKIP() << "the PulseAudio server could not start here (is pulseaudio installed?); its log:\n"
                     << server.Log();
    RouteDefaultOutputTo(server, dir);

    WriteWav(dir.File("loop.wav"), Ramp(kWaveSamples, 1));
    TWaveInfo wave;
    wave.LoadFromFile(dir.File("loop.wav"));
    wave.SetLoopEnd(kWaveSamples);
    wave.SetLoopStart(kLoopStart);

    TMonitorRecorder recorder(server, dir);
    std::mutex lock;
    std::vector<std::string> events;
    const auto log = [&](const std::string& Event) {
        std::lock_guard guard(lock);
        events.push_back(Event);
    };
    TLoopFeeder feeder;
    std::size_t recordedAtStop = 0;
    TClock::duration stopTime{};
    {
        TLowLVPCM player;
        player.SetnSamplesPerSec(kRate);
        player.SetwBitsPerSample(16);
        player.SetOnError([&](const std::string& Message, const std::string&) { log("Error " + Message); });
        player.SetOnPlayStart([&](TPCMThread*) { log("Start"); });
        player.SetOnBufferEmpty([&](TPCMThread*) { feeder.Feed(player); });
        feeder.Start(wave, player.BufferSize());
        ASSERT_TRUE(recorder.WaitUntilRecording()) << "parec records nothing: " << recorder.Log();
        player.Play();
        std::this_thread::sleep_for(5s);
        recordedAtStop = recorder.Samples();
        const TClock::time_point stopAt = TClock::now();
        player.Stop();
        stopTime = TClock::now() - stopAt;
        std::this_thread::sleep_for(300ms);
    }
    const std::vector<int16_t> recorded = recorder.Finish();
    ASSERT_EQ(events, std::vector<std::string>{"Start"});

    const auto sound = [](int16_t s) { return s != 0; };
    const std::size_t first = std::find_if(recorded.begin(), recorded.end(), sound) - recorded.begin();
    ASSERT_LT(first, recorded.size()) << "nothing reached the sink; parec says: " << recorder.Log();
    std::size_t matched = 0;
    while (first + matched < recorded.size() && recorded[first + matched] == ExpectedSample(matched))
        ++matched;
    const std::size_t end = first + matched;
    const std::size_t stray = std::find_if(recorded.begin() + end, recorded.end(), sound) - recorded.begin();
    EXPECT_EQ(stray, recorded.size()) << "the stream breaks after " << matched << " samples: "
                                      << (stray == end ? "a wrong sample" : "silence, then sound again");
    EXPECT_GT(matched, std::size_t(4.5 * kRate)) << "less than 4.5 s of sound reached the sink";

    // The recording lags the sink a little, so this errs on the long side.
    const double latency = (double(end) - double(recordedAtStop)) * 1000 / kRate;
    std::printf("played %.3f s; sound ended %.1f ms after Stop was called; Stop returned after %.1f ms\n",
                double(matched) / kRate, latency, std::chrono::duration<double, std::milli>(stopTime).count());
    EXPECT_LT(latency, 100.0) << "the sound went on after Stop";
}

// ---- A loop moved while it plays ---------------------------------------------

// Its frequency in Hz from the zero crossings of Samples [From, To).
double FrequencyOf(const std::vector<int16_t>& Samples, std::size_t From, std::size_t To)
{
    int crossings = 0;
    for (std::size_t i = From + 1; i < To; ++i)
        crossings += (Samples[i - 1] < 0) != (Samples[i] < 0);
    return crossings / 2.0 * kRate / double(To - From);
}

// The longest run of silent samples in Samples [From, To).
std::size_t LongestSilence(const std::vector<int16_t>& Samples, std::size_t From, std::size_t To)
{
    std::size_t longest = 0;
    std::size_t run = 0;
    for (std::size_t i = From; i < To; ++i) {
        run = Samples[i] == 0 ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

// A second of 440 Hz, then a second of 880 Hz, looped inside the 440 Hz part;
// while it plays its loop end goes to the wave's end and then its start into
// the 880 Hz part, each published as the window does. The sound heard
// follows without a gap longer than a block.
TEST(PulseAudioTest, LoopMovedWhilePlayingIsHeardWithoutAGap)
{
    TTempDir dir;
    TPulseServer server(dir);
    if (!server.Ready())
        GTEST_SKIP() << "the PulseAudio server could not start here; its log:\n" << server.Log();
    RouteDefaultOutputTo(server, dir);

    std::vector<int16_t> tones(2 * kRate);
    for (std::size_t i = 0; i < tones.size(); ++i)
        tones[i] = static_cast<int16_t>(10000 * std::sin(2 * M_PI * (i < kRate ? 440.0 : 880.0) * double(i) / kRate));
    WriteWav(dir.File("tones.wav"), tones);
    TWaveInfo wave;
    wave.LoadFromFile(dir.File("tones.wav"));
    wave.SetLoopEnd(8820); // 44 periods of 440 Hz
    wave.SetLoopStart(4410);

    TMonitorRecorder recorder(server, dir);
    TLoopFeeder feeder;
    TLowLVPCM player;
    player.SetnSamplesPerSec(kRate);
    player.SetwBitsPerSample(16);
    player.SetBufferSize(LiveBlockBytes(kRate)); // the window's blocks
    player.SetOnBufferEmpty([&](TPCMThread*) { feeder.Feed(player); });
    feeder.Start(wave, player.BufferSize());
    ASSERT_TRUE(recorder.WaitUntilRecording()) << "parec records nothing: " << recorder.Log();
    player.Play();
    std::this_thread::sleep_for(2s);
    const std::size_t recordedAtEdit = recorder.Samples();
    wave.SetLoopEnd(2 * kRate);
    ASSERT_TRUE(feeder.Follow(wave));
    std::this_thread::sleep_for(300ms);
    wave.SetLoopStart(2 * kRate - 4 * kRate / 10);
    ASSERT_TRUE(feeder.Follow(wave));
    std::this_thread::sleep_for(1500ms);
    const std::size_t recordedAtStop = recorder.Samples();
    player.Stop();
    std::this_thread::sleep_for(200ms);
    const std::vector<int16_t> recorded = recorder.Finish();

    const std::size_t first = std::find_if(recorded.begin(), recorded.end(), [](int16_t s) { return s != 0; }) -
                              recorded.begin();
    ASSERT_LT(first + kRate, recordedAtEdit) << "less than a second before the edit: " << recorder.Log();
    ASSERT_LE(recordedAtStop, recorded.size());
    const double before = FrequencyOf(recorded, first, recordedAtEdit);
    const double last = FrequencyOf(recorded, recordedAtStop - kRate / 2, recordedAtStop);
    const std::size_t gap = LongestSilence(recorded, first, recordedAtStop);
    std::printf("before the keys %.1f Hz, last half second %.1f Hz, longest silence %zu samples (a block: %u)\n",
                before, last, gap, player.BufferSize() / 2);
    EXPECT_NEAR(before, 440, 10);
    EXPECT_NEAR(last, 880, 10);
    EXPECT_LE(gap, player.BufferSize() / 2);
}

} // namespace

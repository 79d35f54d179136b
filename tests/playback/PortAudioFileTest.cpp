// The player through the real PortAudio backend, with ALSA's default output
// pointed at a file: a private HOME holds an .asoundrc whose default PCM is
// ALSA's file plugin, so the bytes that reach "the sound card" can be read
// back.

#include "playback/AlsaTestConfig.h"
#include "playback/LowLVPCM.h"
#include "playback/PlayerHarness.h"
#include "support/TestFiles.h"

#include <alsa/asoundlib.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>

namespace {

void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

// Whether ALSA can open its default playback PCM here.
bool AlsaDefaultOpens()
{
    snd_lib_error_set_handler(&QuietAlsa);
    snd_pcm_t* pcm = nullptr;
    const bool opens = snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, 0) == 0;
    if (opens)
        snd_pcm_close(pcm);
    snd_lib_error_set_handler(nullptr);
    return opens;
}

std::vector<uint8_t> SampleBytes(const std::vector<int16_t>& Samples)
{
    std::vector<uint8_t> bytes;
    for (int16_t s : Samples) {
        bytes.push_back(static_cast<uint8_t>(s));
        bytes.push_back(static_cast<uint8_t>(static_cast<uint16_t>(s) >> 8));
    }
    return bytes;
}

// Sends fd 2 to a file while it lives.
class TStderrCapture {
public:
    explicit TStderrCapture(const std::string& Path)
        : FPath(Path), FSaved(dup(2))
    {
        const int file = open(Path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(file, 2);
        close(file);
    }
    ~TStderrCapture() { Restore(); }

    std::string Text()
    {
        Restore();
        const std::vector<uint8_t> bytes = ReadBytes(FPath);
        return std::string(bytes.begin(), bytes.end());
    }

private:
    void Restore()
    {
        if (FSaved >= 0) {
            dup2(FSaved, 2);
            close(FSaved);
            FSaved = -1;
        }
    }

    std::string FPath;
    int FSaved;
};

TEST(PortAudioFileTest, KnownStreamReachesTheDefaultOutputInOrder)
{
    TTempDir home;
    const std::string capture = home.File("capture.raw");
    UseAlsaConfig(home, "pcm.!default {\n"
                        "    type file\n"
                        "    slave.pcm { type null }\n"
                        "    file \"" + capture + "\"\n"
                        "    format \"raw\"\n"
                        "}\n");
    if (!AlsaDefaultOpens())
        GTEST_SKIP() << "ALSA cannot open its file plugin on this machine";

    // Samples 1 .. 30000: no silence inside the stream.
    const std::vector<uint8_t> stream = SampleBytes(Ramp(30000, 1));
    TEventLog log;
    TStreamFeeder feeder{stream, 4096};
    {
        TLowLVPCM player;
        player.SetnSamplesPerSec(44100);
        player.SetwBitsPerSample(16);
        player.SetOnError([&log](const std::string& Message, const std::string&) { log.Add("Error " + Message); });
        LogEvents(player, log, [&] { feeder.Feed(player); });
        player.Play();
        ASSERT_TRUE(log.WaitFor("End")) << testing::PrintToString(log.Entries());
    }
    const std::vector<std::string> entries = log.Entries();
    EXPECT_EQ(std::count_if(entries.begin(), entries.end(), [](const std::string& e) { return e.starts_with("Error"); }), 0)
        << testing::PrintToString(entries);

    // ALSA's null sink takes data as fast as it comes, so the output runs
    // dry between blocks and plays silence there. Without the silent samples
    // the capture is exactly the stream.
    const std::vector<uint8_t> captured = ReadBytes(capture);
    ASSERT_EQ(captured.size() % 2, 0u);
    std::vector<uint8_t> sound;
    for (std::size_t i = 0; i < captured.size(); i += 2) {
        if (captured[i] != 0 || captured[i + 1] != 0)
            sound.insert(sound.end(), {captured[i], captured[i + 1]});
    }
    EXPECT_EQ(sound.size(), stream.size());
    EXPECT_TRUE(sound == stream) << "the captured samples differ from the stream played";
}

TEST(PortAudioFileTest, MissingDeviceIsReportedWithoutNoiseOnStderr)
{
    TTempDir home;
    // Both the default and a listed output name a card that does not exist:
    // ALSA complains about each when PortAudio probes them.
    UseAlsaConfig(home, "pcm.!default {\n"
                        "    type hw\n"
                        "    card \"nosuchcard\"\n"
                        "}\n"
                        "pcm.listed {\n"
                        "    type hw\n"
                        "    card \"nosuchcard\"\n"
                        "    hint { show on description \"listed\" }\n"
                        "}\n");
    TEventLog log;
    TStderrCapture stderrCapture(home.File("stderr.txt"));
    {
        TLowLVPCM player;
        player.SetOnError([&log](const std::string& Message, const std::string& Caption) {
            log.Add(Caption + ":" + Message);
        });
        player.SetOnBufferEmpty([&player](TPCMThread*) { player.Write(nullptr, 0); });
        player.SetOnPlayStart([&log](TPCMThread*) { log.Add("Start"); });
        player.Play();
    }
    const std::string printed = stderrCapture.Text();
    EXPECT_EQ(printed, "");
    if (log.CountOf("Start") > 0)
        GTEST_SKIP() << "this machine has another output device that PortAudio chose instead";
    EXPECT_EQ(log.Entries(), (std::vector<std::string>{"Error:Wave デバイスを使用できません"}));
}

} // namespace

#include "cli/WavFile.h"

#include "cli/Language.h"
#include "common/Format.h"
#include "common/Path.h"
#include "common/Platform.h"
#include "document/FileReplace.h"

#include <sndfile.h>

#include <cstring>
#include <memory>
#include <system_error>

namespace {

struct TSndFileCloser {
    void operator()(SNDFILE* File) const noexcept { sf_close(File); }
};
using TSndFile = std::unique_ptr<SNDFILE, TSndFileCloser>;

// The descriptor of the file being written, closed when done.
class TDescriptor {
public:
    explicit TDescriptor(int Fd) : FFd(Fd) {}
    ~TDescriptor()
    {
        if (FFd >= 0)
            Platform::CloseFile(FFd);
    }
    TDescriptor(const TDescriptor&) = delete;
    TDescriptor& operator=(const TDescriptor&) = delete;
    int Fd() const { return FFd; }

private:
    int FFd;
};

[[noreturn]] void Fail(const std::string& Path, const std::string& Reason)
{
    throw EWavWriteError(Format(Say("WAVファイル %s を書けません: %s", "cannot write the WAV file %s: %s"), Path.c_str(),
                                Reason.c_str()));
}

void Write(const std::string& Temporary, const std::string& Path, std::span<const int16_t> Samples, int32_t RateHz,
           const std::optional<TWaveLoop>& Loop)
{
    const TDescriptor fd(Platform::OpenForWriting(PathFromUtf8(Temporary), false));
    if (fd.Fd() < 0)
        Fail(Path, std::strerror(errno));
    SF_INFO info{};
    info.samplerate = RateHz;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    {
        TSndFile file(sf_open_fd(fd.Fd(), SFM_WRITE, &info, SF_FALSE));
        if (!file)
            Fail(Path, sf_strerror(nullptr));
        if (Loop) {
            SF_INSTRUMENT instrument{};
            instrument.basenote = 60;
            instrument.velocity_hi = instrument.key_hi = 127;
            instrument.loop_count = 1;
            instrument.loops[0].mode = SF_LOOP_FORWARD;
            instrument.loops[0].start = static_cast<unsigned>(Loop->Start);
            instrument.loops[0].end = static_cast<unsigned>(Loop->End); // libsndfile writes the last sample, end - 1
            if (sf_command(file.get(), SFC_SET_INSTRUMENT, &instrument, sizeof instrument) != SF_TRUE)
                Fail(Path, sf_strerror(file.get()));
        }
        if (sf_write_short(file.get(), Samples.data(), static_cast<sf_count_t>(Samples.size())) !=
            static_cast<sf_count_t>(Samples.size()))
            Fail(Path, sf_strerror(file.get()));
        if (const int error = sf_close(file.release()); error != 0) // the header's sizes go in on closing
            Fail(Path, sf_error_number(error));
    }
    if (!Platform::SyncFile(fd.Fd()))
        Fail(Path, std::strerror(errno));
}

} // namespace

void WriteWavFile(const std::string& Path, std::span<const int16_t> Samples, int32_t RateHz,
                  const std::optional<TWaveLoop>& Loop)
{
    try {
        ReplaceFileWith(Path, [&](const std::string& Temporary) { Write(Temporary, Path, Samples, RateHz, Loop); });
    } catch (const std::system_error& e) {
        Fail(Path, e.code().message());
    }
}

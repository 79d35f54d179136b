#include "playback/WaveOut.h"

#include <algorithm>
#include <cstring>

TWaveFormat TWaveFormat::Pcm(uint16_t Channels, uint32_t SamplesPerSec, uint16_t BitsPerSample)
{
    TWaveFormat format;
    format.nChannels = Channels;
    format.nSamplesPerSec = SamplesPerSec;
    format.wBitsPerSample = BitsPerSample;
    format.nBlockAlign = static_cast<uint16_t>(Channels * BitsPerSample / 8);
    format.nAvgBytesPerSec = SamplesPerSec * format.nBlockAlign;
    return format;
}

TQueuedWaveOut::TQueuedWaveOut(const TWaveFormat& Format) : FFormat(Format) {}

TWaveOutResult TQueuedWaveOut::Prepare(TWaveHeader& Header)
{
    std::lock_guard lock(FLock);
    if (Header.Flags.load() & TWaveHeader::InQueue)
        return TWaveOutResult::StillPlaying;
    Header.Flags.fetch_or(TWaveHeader::Prepared);
    return TWaveOutResult::Ok;
}

TWaveOutResult TQueuedWaveOut::Unprepare(TWaveHeader& Header)
{
    std::lock_guard lock(FLock);
    if (Header.Flags.load() & TWaveHeader::InQueue)
        return TWaveOutResult::StillPlaying;
    Header.Flags.fetch_and(~TWaveHeader::Prepared);
    return TWaveOutResult::Ok;
}

TWaveOutResult TQueuedWaveOut::Write(TWaveHeader& Header)
{
    {
        std::lock_guard lock(FLock);
        const uint32_t flags = Header.Flags.load();
        if (!(flags & TWaveHeader::Prepared))
            return TWaveOutResult::Unprepared;
        if (flags & TWaveHeader::InQueue)
            return TWaveOutResult::StillPlaying;
        Header.Flags.store((flags & ~TWaveHeader::Done) | TWaveHeader::InQueue);
        FQueue.push_back(&Header);
    }
    QueueChanged();
    return TWaveOutResult::Ok;
}

TWaveOutResult TQueuedWaveOut::Pause()
{
    std::lock_guard lock(FLock);
    FPaused = true;
    return TWaveOutResult::Ok;
}

TWaveOutResult TQueuedWaveOut::Restart()
{
    std::lock_guard lock(FLock);
    FPaused = false;
    return TWaveOutResult::Ok;
}

TWaveOutResult TQueuedWaveOut::Reset()
{
    {
        std::lock_guard lock(FLock);
        for (TWaveHeader* header : FQueue) {
            header->Flags.fetch_and(~TWaveHeader::InQueue);
            header->Flags.fetch_or(TWaveHeader::Done, std::memory_order_release);
        }
        FQueue.clear();
        FFrontOffset = 0;
    }
    QueueChanged();
    return TWaveOutResult::Ok;
}

bool TQueuedWaveOut::IsPaused() const
{
    std::lock_guard lock(FLock);
    return FPaused;
}

std::size_t TQueuedWaveOut::QueuedBlocks() const
{
    std::lock_guard lock(FLock);
    return FQueue.size();
}

std::size_t TQueuedWaveOut::QueuedBytes() const
{
    std::lock_guard lock(FLock);
    std::size_t bytes = 0;
    for (const TWaveHeader* header : FQueue)
        bytes += header->BufferLength;
    return bytes - FFrontOffset;
}

std::size_t TQueuedWaveOut::Consume(uint8_t* Target, std::size_t Size)
{
    std::lock_guard lock(FLock);
    if (FPaused)
        return 0;
    std::size_t copied = 0;
    while (copied < Size && !FQueue.empty()) {
        TWaveHeader* header = FQueue.front();
        const std::size_t n = std::min<std::size_t>(header->BufferLength - FFrontOffset, Size - copied);
        if (n > 0)
            std::memcpy(Target + copied, header->Data + FFrontOffset, n);
        copied += n;
        FFrontOffset += n;
        if (FFrontOffset == header->BufferLength) {
            // The owner may reuse the block as soon as it sees Done.
            header->Flags.fetch_and(~TWaveHeader::InQueue);
            header->Flags.fetch_or(TWaveHeader::Done, std::memory_order_release);
            FQueue.pop_front();
            FFrontOffset = 0;
        }
    }
    return copied;
}

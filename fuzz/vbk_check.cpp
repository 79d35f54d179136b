// Feeds arbitrary bytes to the voice-bank reader. It must either accept the
// bytes or refuse them with its own exception, never crash, leak, read out of
// bounds or allocate by a size it has not checked against the input.

#include "export/VBKReader.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try {
        const TVBKContents contents = ReadVBK(data, size);
        // An accepted file is consistent with itself.
        if (contents.Waves.size() != static_cast<std::size_t>(contents.Ctrl.waveCount) ||
            contents.Tones.size() != contents.Waves.size() || contents.Chunks.size() != contents.Waves.size() + 4 ||
            contents.FileSize != size)
            std::abort();
    } catch (const EVBKReaderException&) {
    }
    return 0;
}

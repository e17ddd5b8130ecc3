// The WAV decoding path on any bytes: a bounded recording of audible samples, or none; and the
// mixer plays whatever comes out.
#include "support/sound/mixer.h"
#include "support/sound/wav_decoder.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto rec =
        decodeWavBytes(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!rec)
        return 0;
    if (rec->frameCount() <= 0 || rec->frameCount() > 24LL * 1000 * 1000)
        std::abort();
    for (float x : rec->samples)
        if (!(std::abs(x) <= 1.0f))
            std::abort();
    Mixer mixer(48000);
    mixer.start(rec, size % 2 == 0);
    float out[2 * 300];
    for (int block = 0; block < 4; ++block)
        mixer.render(out, 300);
    return 0;
}

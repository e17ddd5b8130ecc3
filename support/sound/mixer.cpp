#include "mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

Mixer::Mixer(int outputRate)
    : outputRate_(outputRate), rampFrames_(std::max(1, outputRate * kRampMilliseconds / 1000)) {}

void Mixer::start(std::shared_ptr<const Recording> recording, bool loop) {
    Voice voice;
    if (recording && recording->frameCount() > 0) {
        voice.recording = std::move(recording);
        voice.loop = loop;
        voice.step = double(voice.recording->sampleRate) / outputRate_;
    }
    std::array<std::shared_ptr<const Recording>, 4> toFree;
    {
        std::lock_guard lock(mutex_);
        std::swap(pending_, voice);
        hasPending_ = true;
        toFree.swap(retired_);
    }
    // voice (an unrendered pending one) and toFree are released here, outside the lock.
}

void Mixer::render(float* out, int frames) {
    std::memset(out, 0, sizeof(float) * 2 * size_t(std::max(frames, 0)));
    {
        std::lock_guard lock(mutex_);
        if (hasPending_) {
            auto retire = [this](std::shared_ptr<const Recording>& r) {
                if (!r)
                    return;
                for (auto& slot : retired_)
                    if (!slot) {
                        slot = std::move(r);
                        return;
                    }
            };
            retire(fading_.recording);
            fading_ = std::move(current_);
            fadeLeft_ = fading_.recording ? rampFrames_ : 0;
            current_ = std::move(pending_);
            pending_ = Voice();
            hasPending_ = false;
        }
    }
    if (fadeLeft_ > 0) {
        const int n = std::min(frames, fadeLeft_);
        mix(fading_, out, n, fadeLeft_);
        fadeLeft_ -= n;
    }
    mix(current_, out, frames, 0);
}

void Mixer::endOnce() {
    {
        std::lock_guard lock(mutex_);
        if (hasPending_ && !pending_.loop)
            pending_.recording.reset();
    }
    if (!current_.loop)
        current_.recording.reset();
    fadeLeft_ = 0;
}

// Adds the voice to out. With fadeFrames > 0 the gain falls linearly from fadeFrames/ramp to 0.
void Mixer::mix(Voice& voice, float* out, int frames, int fadeFrames) {
    const Recording* rec = voice.recording.get();
    if (!rec)
        return;
    const float* s = rec->samples.data();
    const long long n = rec->frameCount();
    for (int i = 0; i < frames; ++i) {
        if (voice.position >= double(n)) {
            if (!voice.loop) {
                voice.recording.reset(); // freed on the audio thread only at a one-shot's end
                return;
            }
            // A recording shorter than one step of the output wraps more than once.
            voice.position = std::fmod(voice.position, double(n));
        }
        const float gain = fadeFrames > 0 ? float(fadeFrames - i) / float(rampFrames_) : 1.0f;
        const auto index = static_cast<long long>(voice.position);
        const float frac = float(voice.position - double(index));
        float left = s[2 * index], right = s[2 * index + 1];
        if (frac != 0.0f) {
            // Between two frames of a recording of another rate: linear interpolation, across
            // the join for a loop.
            const long long next = index + 1 < n ? index + 1 : (voice.loop ? 0 : -1);
            const float nl = next >= 0 ? s[2 * next] : 0.0f;
            const float nr = next >= 0 ? s[2 * next + 1] : 0.0f;
            left += (nl - left) * frac;
            right += (nr - right) * frac;
        }
        out[2 * i] += left * gain;
        out[2 * i + 1] += right * gain;
        voice.position += voice.step;
    }
}

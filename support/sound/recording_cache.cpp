#include "recording_cache.h"

#include "support/files/file_identity.h"
#include "support/sound/wav_decoder.h"

std::shared_ptr<const Recording> RecordingCache::load(const QString& path) {
    // A press of a peg whose recording is cached costs one stat (which never blocks, unlike an
    // open of a FIFO); the file is opened only to decode it.
    const QByteArray identity = fileIdentity(path, FileKind::Regular);
    if (identity.isEmpty())
        return nullptr;
    auto it = entries_.find(path);
    if (it != entries_.end() && it->identity == identity) {
        it->lastUse = ++clock_;
        return it->recording;
    }
    if (it != entries_.end()) {
        used_ -= bytesOf(*it);
        entries_.erase(it);
    }
    std::shared_ptr<const Recording> rec = decodeWavFile(path);
    if (!rec)
        return nullptr;
    Entry entry{identity, rec, ++clock_};
    evictTo(budget_ - bytesOf(entry));
    used_ += bytesOf(entry);
    entries_.insert(path, std::move(entry));
    return rec;
}

long long RecordingCache::bytesOf(const Entry& e) const {
    return static_cast<long long>(e.recording->samples.size() * sizeof(float));
}

void RecordingCache::evictTo(long long budget) {
    while (used_ > budget && !entries_.isEmpty()) {
        auto oldest = entries_.begin();
        for (auto it = entries_.begin(); it != entries_.end(); ++it)
            if (it->lastUse < oldest->lastUse)
                oldest = it;
        used_ -= bytesOf(*oldest);
        entries_.erase(oldest);
    }
}

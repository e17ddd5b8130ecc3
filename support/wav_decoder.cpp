#include "wav_decoder.h"

#include "file_test.h"
#include "sound_libraries.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kMaxChannels = 8;
constexpr int kMinRate = 1000;
constexpr int kMaxRate = 384000;
constexpr long long kMaxSamples = 24LL * 1000 * 1000;

// Walks the RIFF chunks up to "data": false when the file is not RIFF/WAVE or its data chunk
// reaches past the end (a cut-off download), which libsndfile would quietly shorten.
bool dataChunkComplete(QByteArrayView head, long long fileSize) {
    if (head.size() < 12 || std::memcmp(head.data(), "RIFF", 4) != 0 ||
        std::memcmp(head.data() + 8, "WAVE", 4) != 0)
        return false;
    long long at = 12;
    while (at + 8 <= head.size()) {
        const long long size = qFromLittleEndian<quint32>(head.data() + at + 4);
        if (std::memcmp(head.data() + at, "data", 4) == 0)
            return at + 8 + size <= fileSize;
        at += 8 + size + (size & 1);
    }
    return false;
}

struct MemoryFile {
    QByteArrayView bytes;
    sf_count_t position = 0;
};

sf_count_t memLength(void* user) {
    return static_cast<MemoryFile*>(user)->bytes.size();
}
sf_count_t memSeek(sf_count_t offset, int whence, void* user) {
    auto* m = static_cast<MemoryFile*>(user);
    const sf_count_t base = whence == SEEK_CUR   ? m->position
                            : whence == SEEK_END ? m->bytes.size()
                                                 : 0;
    const sf_count_t target = base + offset;
    if (target < 0 || target > m->bytes.size())
        return -1;
    return m->position = target;
}
sf_count_t memRead(void* ptr, sf_count_t count, void* user) {
    auto* m = static_cast<MemoryFile*>(user);
    const sf_count_t n =
        std::max<sf_count_t>(0, std::min<sf_count_t>(count, m->bytes.size() - m->position));
    std::memcpy(ptr, m->bytes.data() + m->position, size_t(n));
    m->position += n;
    return n;
}
sf_count_t memWrite(const void*, sf_count_t, void*) {
    return 0;
}
sf_count_t memTell(void* user) {
    return static_cast<MemoryFile*>(user)->position;
}

// A float recording may hold any value: beyond full scale it is clipped, and what is not a
// number at all becomes silence, so no file can blast the output.
float audible(float x) {
    if (!(x == x))
        return 0.0f;
    return std::clamp(x, -1.0f, 1.0f);
}

std::shared_ptr<const Recording> decodeOpened(SNDFILE* sf, const SF_INFO& info) {
    if (!sf)
        return nullptr;
    const SoundLibraries& lib = soundLibraries();
    std::shared_ptr<Recording> rec;
    const int major = info.format & SF_FORMAT_TYPEMASK;
    if ((major == SF_FORMAT_WAV || major == SF_FORMAT_WAVEX) && info.channels >= 1 &&
        info.channels <= kMaxChannels && info.samplerate >= kMinRate &&
        info.samplerate <= kMaxRate && info.frames > 0 &&
        info.frames * info.channels <= kMaxSamples) {
        std::vector<float> raw(size_t(info.frames * info.channels));
        if (lib.sf_readf_float(sf, raw.data(), info.frames) == info.frames) {
            rec = std::make_shared<Recording>();
            rec->sampleRate = info.samplerate;
            rec->samples.resize(size_t(info.frames) * 2);
            for (sf_count_t f = 0; f < info.frames; ++f) {
                // Mono goes to both sides; of more channels the first two (front left and
                // right) are played.
                const float* frame = raw.data() + f * info.channels;
                rec->samples[size_t(2 * f)] = audible(frame[0]);
                rec->samples[size_t(2 * f + 1)] = audible(frame[info.channels > 1 ? 1 : 0]);
            }
        }
    }
    lib.sf_close(sf);
    return rec;
}

} // namespace

std::shared_ptr<const Recording> decodeWavBytes(QByteArrayView bytes) {
    if (!dataChunkComplete(bytes.first(std::min<qsizetype>(bytes.size(), 1 << 20)), bytes.size()))
        return nullptr;
    const SoundLibraries& lib = soundLibraries();
    if (!lib.haveSndfile)
        return nullptr;
    MemoryFile file{bytes, 0};
    SF_VIRTUAL_IO io{memLength, memSeek, memRead, memWrite, memTell};
    SF_INFO info{};
    return decodeOpened(lib.sf_open_virtual(&io, SFM_READ, &info, &file), info);
}

std::shared_ptr<const Recording> decodeWavFile(const QString& path) {
    const int fd = openRegularFileForReading(path);
    if (fd < 0)
        return nullptr;
    struct stat st {};
    QByteArray head(64 * 1024, '\0');
    const ssize_t got =
        ::fstat(fd, &st) == 0 ? ::pread(fd, head.data(), size_t(head.size()), 0) : -1;
    if (got < 0 || !dataChunkComplete(QByteArrayView(head).first(got), st.st_size)) {
        ::close(fd);
        return nullptr;
    }
    const SoundLibraries& lib = soundLibraries();
    if (!lib.haveSndfile) {
        ::close(fd);
        return nullptr;
    }
    SF_INFO info{};
    return decodeOpened(lib.sf_open_fd(fd, SFM_READ, &info, SF_TRUE), info);
}

std::shared_ptr<const Recording> RecordingCache::load(const QString& path) {
    // A press of a peg whose recording is cached costs one stat (which never blocks, unlike an
    // open of a FIFO); the file is opened only to decode it.
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return nullptr;
    const QByteArray identity = QByteArray::number(qlonglong(st.st_size)) + ':' +
                                QByteArray::number(qlonglong(st.st_mtim.tv_sec)) + '.' +
                                QByteArray::number(qlonglong(st.st_mtim.tv_nsec)) + ':' +
                                QByteArray::number(qulonglong(st.st_ino)) + ':' +
                                QByteArray::number(qulonglong(st.st_dev));
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

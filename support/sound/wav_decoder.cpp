#include "wav_decoder.h"

#include "support/files/file_access.h"
#include "support/sound/sound_libraries.h"

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

constexpr qint64 kMaxDataBytes = kMaxSamples * 8; // 64-bit samples at the most
constexpr qint64 kMaxFormatBytes = 1024;          // the format chunk is 16 to 40 bytes
constexpr int kMaxChunks = 4096;

struct Chunk {
    qint64 at = -1; // the first byte of its contents
    qint64 size = 0;
};

bool looksLikeChunkId(const char* id) {
    return std::all_of(id, id + 4, [](char c) { return c >= 0x20 && c < 0x7F; });
}

// Walks the RIFF chunks of a file of fileSize bytes, reading each 8-byte header through
// readAt(offset, buffer), and finds "fmt " and "data". Recorders and taggers put any amount of
// metadata (LIST, id3, iXML, JUNK) before the samples, so the walk goes to the file's end. A
// chunk of odd size is followed by a pad byte; a writer that left it out is recognised by the
// next chunk's id. Nothing is found in what is not RIFF/WAVE or is cut short (a data chunk that
// reaches past the end of the file, which libsndfile would quietly shorten).
template <class ReadAt>
bool findChunks(ReadAt readAt, qint64 fileSize, Chunk& format, Chunk& data) {
    char head[12];
    if (fileSize < 12 || !readAt(0, head, 12) || std::memcmp(head, "RIFF", 4) != 0 ||
        std::memcmp(head + 8, "WAVE", 4) != 0)
        return false;
    qint64 at = 12;
    for (int n = 0; n < kMaxChunks && at + 8 <= fileSize && (format.at < 0 || data.at < 0); ++n) {
        char header[8];
        if (!readAt(at, header, 8))
            return false;
        const qint64 size = qFromLittleEndian<quint32>(header + 4);
        Chunk* found = std::memcmp(header, "data", 4) == 0   ? &data
                       : std::memcmp(header, "fmt ", 4) == 0 ? &format
                                                             : nullptr;
        if (found && found->at < 0)
            *found = {at + 8, size};
        at += 8 + size;
        if (size & 1) {
            char next[4];
            const bool padded =
                at + 5 <= fileSize && readAt(at + 1, next, 4) && looksLikeChunkId(next);
            const bool unpadded =
                at + 4 <= fileSize && readAt(at, next, 4) && looksLikeChunkId(next);
            at += padded || !unpadded ? 1 : 0;
        }
    }
    return format.at >= 0 && format.size >= 16 && format.size <= kMaxFormatBytes &&
           format.at + format.size <= fileSize && data.at >= 0 && data.size <= kMaxDataBytes &&
           data.at + data.size <= fileSize;
}

// The recording as a plain WAV of its format and data chunks alone, which libsndfile reads
// whatever metadata surrounded them.
template <class ReadAt> QByteArray plainWav(ReadAt readAt, const Chunk& format, const Chunk& data) {
    const qint64 formatSize = format.size + (format.size & 1);
    QByteArray wav(qsizetype(12 + 8 + formatSize + 8 + data.size), '\0');
    char* out = wav.data();
    std::memcpy(out, "RIFFsizeWAVEfmt ", 16);
    qToLittleEndian(quint32(wav.size() - 8), out + 4);
    qToLittleEndian(quint32(format.size), out + 16);
    std::memcpy(out + 20 + formatSize, "data", 4);
    qToLittleEndian(quint32(data.size), out + 24 + formatSize);
    if (!readAt(format.at, out + 20, format.size) ||
        !readAt(data.at, out + 28 + formatSize, data.size))
        return {};
    return wav;
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

// Decodes a plain WAV held in memory.
std::shared_ptr<const Recording> decodePlain(QByteArrayView bytes) {
    const SoundLibraries& lib = soundLibraries();
    if (bytes.isEmpty() || !lib.haveSndfile)
        return nullptr;
    MemoryFile file{bytes, 0};
    SF_VIRTUAL_IO io{memLength, memSeek, memRead, memWrite, memTell};
    SF_INFO info{};
    return decodeOpened(lib.sf_open_virtual(&io, SFM_READ, &info, &file), info);
}

template <class ReadAt> std::shared_ptr<const Recording> decode(ReadAt readAt, qint64 size) {
    Chunk format, data;
    if (!findChunks(readAt, size, format, data))
        return nullptr;
    return decodePlain(plainWav(readAt, format, data));
}

} // namespace

std::shared_ptr<const Recording> decodeWavBytes(QByteArrayView bytes) {
    return decode(
        [bytes](qint64 at, char* to, qint64 n) {
            if (at < 0 || n < 0 || at + n > bytes.size())
                return false;
            std::memcpy(to, bytes.data() + at, size_t(n));
            return true;
        },
        bytes.size());
}

std::shared_ptr<const Recording> decodeWavFile(const QString& path) {
    const int fd = openRegularFileForReading(path);
    if (fd < 0)
        return nullptr;
    struct stat st {};
    std::shared_ptr<const Recording> recording;
    if (::fstat(fd, &st) == 0)
        recording = decode(
            [fd](qint64 at, char* to, qint64 n) {
                while (n > 0) {
                    const ssize_t got = ::pread(fd, to, size_t(n), off_t(at));
                    if (got <= 0)
                        return false;
                    to += got;
                    at += got;
                    n -= got;
                }
                return true;
            },
            qint64(st.st_size));
    ::close(fd);
    return recording;
}

#pragma once
// Decoding of WAV recordings into the mixer's stereo float form.
// Metadata chunks of any size may stand before the samples. A file that is missing, not a
// regular file, not a WAV, truncated (its data chunk reaches past the end of the file), or
// whose header is absurd (more than 8 channels, a rate outside
// 1 kHz..384 kHz, more than 24 million samples) gives no recording.

#include "mixer.h"

#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <memory>

// Decodes WAV bytes held in memory (the decoding path shared with files).
std::shared_ptr<const Recording> decodeWavBytes(QByteArrayView bytes);

// Decodes the WAV file at path.
std::shared_ptr<const Recording> decodeWavFile(const QString& path);

// Decoded recordings, kept so that pressing a peg again costs nothing. An entry is used only
// while the file's size, modification time and inode are those it was decoded from.
class RecordingCache {
  public:
    explicit RecordingCache(long long budgetBytes = 256LL * 1024 * 1024) : budget_(budgetBytes) {}
    std::shared_ptr<const Recording> load(const QString& path);

  private:
    struct Entry {
        QByteArray identity;
        std::shared_ptr<const Recording> recording;
        unsigned long long lastUse = 0;
    };
    long long bytesOf(const Entry& e) const;
    void evictTo(long long budget);
    QHash<QString, Entry> entries_;
    long long budget_;
    long long used_ = 0;
    unsigned long long clock_ = 0;
};

#pragma once
#include "support/sound/mixer.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <memory>

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

#include "list_controls.h"

#include "support/files/folder_reading.h"
#include "support/step.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <algorithm>
#include <string>
#include <string_view>

namespace {

QString normalizedFolder(const QString& folder) {
    if (folder.isEmpty())
        return {};
    const QFileInfo info(folder);
    if (!info.isDir())
        return {};
    return QDir::cleanPath(info.absoluteFilePath());
}

void sortByName(QStringList& names) {
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
}

// Greedy wildcard match with backtracking to the last "*": linear in practice, never
// exponential.
template <typename Text, typename IsStar, typename Same>
bool wildcardMatch(Text name, Text pattern, IsStar isStar, Same same) {
    qsizetype n = 0, p = 0, starP = -1, starN = 0;
    while (n < qsizetype(name.size())) {
        if (p < qsizetype(pattern.size()) && isStar(pattern[p])) {
            starP = p++;
            starN = n;
        } else if (p < qsizetype(pattern.size()) && same(pattern, p, name, n)) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < qsizetype(pattern.size()) && isStar(pattern[p]))
        ++p;
    return p == qsizetype(pattern.size());
}

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
}

// For names and patterns of ASCII characters only: no other character folds to one of them.
bool matchesAscii(std::string_view name, std::string_view pattern) {
    return wildcardMatch(
        name, pattern, [](char c) { return c == '*'; },
        [](std::string_view text, qsizetype i, std::string_view other, qsizetype j) {
            const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
            return lower(text[i]) == lower(other[j]);
        });
}

void showNames(QListWidget& list, const QStringList& texts) {
    const QSignalBlocker block(list);
    list.clear();
    list.addItems(texts);
}

} // namespace

DirectoryList::DirectoryList(QWidget* parent) : QListWidget(parent) {
    path_ = QDir::cleanPath(QDir::currentPath());
    Refresh();
    connect(this, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { attempt([&] { setPath(item->text()); }); });
}

void DirectoryList::setPath(const QString& folder) {
    const QString normalized = normalizedFolder(folder);
    if (normalized.isEmpty())
        throw StepFailed("no such folder: " + folder.toStdString());
    if (normalized == path_)
        return;
    path_ = normalized;
    Refresh();
    emit changed();
}

void DirectoryList::Refresh() {
    // A folder whose entries have not changed since it was read is not read again.
    const QByteArray stamp = FolderReading::stamp(path_);
    if (!stamp.isEmpty() && stamp == listed_)
        return;
    listed_ = stamp;
    QStringList names = FolderReading::entryNames(path_, true);
    sortByName(names);
    entries_.clear();
    const QString base = path_.endsWith(u'/') ? path_ : path_ + u'/';
    for (const QString& name : names)
        entries_.append(base + name);
    showNames(*this, entries_);
}

int16_t DirectoryList::ListCount() const {
    // The count is a 16-bit number; a folder with more sub-folders shows the first 32767.
    return int16_t(std::min<qsizetype>(entries_.size(), 32767));
}

QString DirectoryList::entry(int index) const {
    return entries_.value(index);
}

FileList::FileList(QWidget* parent) : QListWidget(parent) {
    path_ = QDir::cleanPath(QDir::currentPath());
    Refresh();
    connect(this, &QListWidget::itemClicked, this, [this] { emit picked(); });
}

void FileList::setPath(const QString& folder) {
    const QString normalized = normalizedFolder(folder);
    if (normalized.isEmpty())
        throw StepFailed("no such folder: " + folder.toStdString());
    path_ = normalized;
    Refresh();
}

void FileList::setPattern(const QString& pattern) {
    pattern_ = pattern;
    Refresh();
}

void FileList::Refresh() {
    // The folder is read again only when its entries changed; a new pattern just filters anew.
    const QByteArray stamp = FolderReading::stamp(path_);
    if (stamp.isEmpty() || stamp != listed_) {
        allFiles_ = FolderReading::entryNames(path_, false);
        listed_ = stamp;
    } else if (pattern_ == listedPattern_) {
        return;
    }
    listedPattern_ = pattern_;
    names_.clear();
    for (const QString& name : allFiles_)
        if (matches(name, pattern_))
            names_.append(name);
    sortByName(names_);
    showNames(*this, names_);
}

int FileList::countIn(const QString& folder) const {
    // Start-up counts every instrument folder this way, so names are looked at as stored: an
    // ASCII name against an ASCII pattern without decoding it, any other as the list does.
    const bool patternIsAscii =
        std::all_of(pattern_.begin(), pattern_.end(), [](QChar c) { return c.unicode() < 0x80; });
    const std::string asciiPattern = pattern_.toStdString();
    int count = 0;
    const bool opened = FolderReading::forEachEntry(folder, false, [&](const char* name) {
        const std::string_view stored(name);
        const bool match = patternIsAscii && isAscii(stored)
                               ? matchesAscii(stored, asciiPattern)
                               : matches(QFile::decodeName(name), pattern_);
        count += match ? 1 : 0;
    });
    if (!opened)
        return normalizedFolder(folder).isEmpty() ? -1 : 0; // refused, or listed as empty
    return count;
}

QString FileList::entry(int index) const {
    return names_.value(index);
}

QString FileList::FileName() const {
    const QListWidgetItem* item = currentItem();
    return item ? item->text() : QString();
}

bool FileList::matches(const QString& name, const QString& pattern) {
    return wildcardMatch(
        QStringView(name), QStringView(pattern), [](QChar c) { return c == u'*'; },
        [](QStringView text, qsizetype i, QStringView other, qsizetype j) {
            return text.mid(i, 1).compare(other.mid(j, 1), Qt::CaseInsensitive) == 0;
        });
}

void FileList::keyPressEvent(QKeyEvent* event) {
    const int before = currentRow();
    QListWidget::keyPressEvent(event);
    if (currentRow() != before && currentRow() >= 0)
        emit picked();
}

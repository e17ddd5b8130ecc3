#include "list_controls.h"

#include "support/files/file_identity.h"
#include "support/files/file_names.h"
#include "support/files/folder_reading.h"
#include "support/files/name_matching.h"
#include "support/step.h"

#include <QDir>
#include <QKeyEvent>
#include <algorithm>

namespace {

QString normalizedFolder(const QString& folder) {
    if (folder.isEmpty())
        return {};
    // The name is kept as the file system spells it: QFileInfo would decode it and lose bytes
    // that are not UTF-8.
    const QString absolute =
        QDir::isAbsolutePath(folder) ? folder : QDir::currentPath() + u'/' + folder;
    if (fileIdentity(absolute, FileKind::Folder).isEmpty())
        return {};
    return QDir::cleanPath(absolute);
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
    FileNames::sortAsListed(names);
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
    FileNames::sortAsListed(names_);
    showNames(*this, names_);
}

int FileList::countIn(const QString& folder) const {
    // Start-up counts every instrument folder this way. A name of ASCII characters reads the
    // same as Latin-1, so it is matched as stored, without decoding it first.
    int count = 0;
    const bool opened = FolderReading::forEachEntry(folder, false, [&](const char* stored) {
        const QLatin1String name(stored);
        const bool ascii =
            std::all_of(name.begin(), name.end(), [](char c) { return (c & 0x80) == 0; });
        if (ascii ? FileNames::matchesPattern(name, pattern_)
                  : matches(FileNames::fromFileSystem(stored), pattern_))
            ++count;
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
    return FileNames::matchesPattern(name, pattern);
}

void FileList::keyPressEvent(QKeyEvent* event) {
    const int before = currentRow();
    QListWidget::keyPressEvent(event);
    if (currentRow() != before && currentRow() >= 0)
        emit picked();
}

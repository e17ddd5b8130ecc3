#include "folder_reading.h"

#include "support/files/file_identity.h"
#include "support/files/file_names.h"

#include <dirent.h>
#include <sys/stat.h>

namespace FolderReading {

QByteArray stamp(const QString& folder) {
    return fileIdentity(folder, FileKind::Folder, 2);
}

bool forEachEntry(const QString& folder, bool subFolders,
                  const std::function<void(const char* name)>& take) {
    DIR* dir = ::opendir(FileNames::fileSystemName(folder).constData());
    if (!dir)
        return false;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN || type == DT_LNK) {
            struct stat st {};
            if (::fstatat(::dirfd(dir), entry->d_name, &st, 0) != 0)
                continue;
            type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
        }
        if (type == (subFolders ? DT_DIR : DT_REG))
            take(entry->d_name);
    }
    ::closedir(dir);
    return true;
}

QStringList entryNames(const QString& folder, bool subFolders) {
    QStringList names;
    forEachEntry(folder, subFolders,
                 [&](const char* name) { names.append(FileNames::fromFileSystem(name)); });
    return names;
}

} // namespace FolderReading

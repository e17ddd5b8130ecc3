#pragma once
// The two list controls through which the program walks its folders. Both fill themselves
// synchronously from the file system, only when their folder or pattern is set or they are
// refreshed; names are sorted without regard to letter case, hidden (dot) entries are left out.

#include "support/instrument_schema.h"

#include <QListWidget>
#include <QString>
#include <QStringList>

// The sub-folders of one folder, as full paths.
class DirectoryList : public QListWidget {
    Q_OBJECT
  public:
    explicit DirectoryList(QWidget* parent = nullptr);

    // The shown folder, absolute, without a trailing separator except for the root.
    QString Path() const { return path_; }
    // Shows folder; throws StepFailed for a folder that does not exist (the list keeps its
    // folder). Raises changed() before it returns when the folder differs from the shown one.
    void setPath(const QString& folder);
    void Refresh();
    int16_t ListCount() const;
    QString entry(int index) const;

  signals:
    void changed();

  private:
    QString path_;
    QStringList entries_;
    QByteArray listed_; // the state of the folder when it was read
};

// The files of one folder whose names match a pattern in which * stands for any run of
// characters, compared without regard to letter case.
class FileList : public QListWidget {
    Q_OBJECT
  public:
    explicit FileList(QWidget* parent = nullptr);

    QString Path() const { return path_; }
    // Throws StepFailed for a folder that does not exist; the list keeps its folder.
    void setPath(const QString& folder);
    QString Pattern() const { return pattern_; }
    void setPattern(const QString& pattern);
    void Refresh();
    int ListCount() const { return int(names_.size()); }
    // The ListCount the list would have for that folder, found without showing its files;
    // -1 for what setPath would refuse.
    int countIn(const QString& folder) const;
    // The name at index, or the empty text past the end of the list.
    QString entry(int index) const;
    // The name of the entry the user picked.
    QString FileName() const;

    static bool matches(const QString& name, const QString& pattern);

  signals:
    // The user picked an entry, with the mouse or the keyboard.
    void picked();

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QString path_;
    QString pattern_ = QLatin1String(InstrumentFolder::RecordingPattern);
    QStringList names_;
    QStringList allFiles_; // every file of the folder last read, before the pattern
    QByteArray listed_;
    QString listedPattern_;
};

#include "startup.h"

#include "app/globals/globals.h"
#include "support/files/file_names.h"
#include "support/paths.h"
#include "support/step.h"
#include "ui/list_controls.h"
#include "ui/tuner.h"

#include <QComboBox>
#include <algorithm>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

namespace AppModul {
namespace {
std::unique_ptr<Tuner>& window() {
    static std::unique_ptr<Tuner> instance;
    return instance;
}
// How many files the file list would list in each folder (-1 where it would refuse it). On a
// large Tunes folder these reads are most of the start-up's own time, so the folders are
// shared out among the machine's cores; counting only reads the list's pattern.
std::vector<int> countFilesIn(const FileList& list, const QStringList& folders) {
    std::vector<int> counts(size_t(folders.size()), -1);
    const auto countRange = [&](size_t from, size_t to) {
        for (size_t i = from; i < to; ++i)
            counts[i] = list.countIn(folders[qsizetype(i)]);
    };
    constexpr size_t foldersPerThread = 200; // below that, starting a thread costs more
    const size_t threads =
        std::clamp<size_t>(counts.size() / foldersPerThread, 1,
                           std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
    std::vector<std::thread> helpers;
    size_t from = 0;
    for (size_t t = 1; t < threads; ++t) {
        const size_t to = counts.size() * t / threads;
        try {
            helpers.emplace_back(countRange, from, to);
        } catch (const std::system_error&) {
            break; // no thread to be had: the rest is counted here
        }
        from = to;
    }
    countRange(from, counts.size());
    for (std::thread& helper : helpers)
        helper.join();
    return counts;
}

} // namespace

Tuner* TunerWindow() {
    return window().get();
}

void DestroyTunerWindow() {
    window().reset();
}

void ListInstruments(Tuner& tuner) {
    // Only a folder that cannot be opened fails here; the start-up goes on without it.
    attempt([&] { tuner.TunersDir->setPath(TunesPath); });
    tuner.TunersDir->Refresh();
    const int16_t count = tuner.TunersDir->ListCount();
    if (count <= 0)
        return;
    // The instruments are appended in the folder list's order; they are handed to the
    // drop-down in one go, which nothing can tell from one at a time.
    // Each folder is counted as the file list would list it, without filling the list: only
    // the last folder that could be listed is shown in it, as if each had been in turn. A
    // folder the list cannot show leaves the count of the one before, as it would.
    QStringList names, folders;
    for (int16_t i = 0; i < count; ++i) {
        names.append(Commands::LastPathComponent(tuner.TunersDir->entry(i)));
        folders.append(TunesPath + names.last());
    }
    const std::vector<int> counted = countFilesIn(*tuner.TunerFiles, folders);
    QStringList instruments;
    QString lastListed;
    int files = tuner.TunerFiles->ListCount();
    for (int16_t i = 0; i < count; ++i) {
        if (counted[size_t(i)] >= 0) {
            files = counted[size_t(i)];
            lastListed = folders[i];
        }
        if (files > 0)
            instruments.append(names[i]);
    }
    if (!lastListed.isEmpty())
        attempt([&] { tuner.TunerFiles->setPath(lastListed); });
    tuner.TunerFiles->Refresh();
    QStringList shown = instruments;
    for (QString& name : shown)
        name = FileNames::readable(name);
    tuner.cboInstrument->addItems(shown);
    // A name that is not valid text is shown as well as it can be and kept beside its entry.
    for (qsizetype i = 0; i < instruments.size(); ++i)
        if (shown[i] != instruments[i])
            tuner.cboInstrument->setItemData(int(i), instruments[i]);
    // Setting the text selects the entry of that name where there is one, as a pick would;
    // without one the text stands alone and no entry is current, so the first Down arrow
    // chooses entry 0. No handler runs either way.
    const QString name = QStringLiteral("Ukulele");
    tuner.cboInstrument->setCurrentIndex(
        tuner.cboInstrument->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive));
    tuner.cboInstrument->setEditText(name);
}

void LoadAndShow(Tuner& tuner) {
    tuner.Form_Load();
    ListInstruments(tuner);
    if (tuner.TunersDir->ListCount() > 0)
        tuner.cboInstrument_Click();
    tuner.show();
}

void Main() {
    // Command-line arguments are ignored: the program behaves the same with any.
    Commands::InitEnvironment();
    InitAppNames();
    if (!window())
        window() = std::make_unique<Tuner>();
    LoadAndShow(*window());
}

} // namespace AppModul

#include "startup.h"

#include "app/globals.h"
#include "support/paths.h"
#include "support/step.h"
#include "ui/list_controls.h"
#include "ui/tuner.h"

#include <QComboBox>
#include <memory>

namespace AppModul {
namespace {
std::unique_ptr<Tuner>& window() {
    static std::unique_ptr<Tuner> instance;
    return instance;
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
    QStringList instruments;
    QString lastListed;
    int files = tuner.TunerFiles->ListCount();
    for (int16_t i = 0; i < count; ++i) {
        const QString name = Commands::LastPathComponent(tuner.TunersDir->entry(i));
        if (const int counted = tuner.TunerFiles->countIn(TunesPath + name); counted >= 0) {
            files = counted;
            lastListed = TunesPath + name;
        }
        if (files > 0)
            instruments.append(name);
    }
    if (!lastListed.isEmpty())
        attempt([&] { tuner.TunerFiles->setPath(lastListed); });
    tuner.TunerFiles->Refresh();
    tuner.cboInstrument->addItems(instruments);
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
    attempt([] {
        if (!window())
            window() = std::make_unique<Tuner>();
    });
    if (window())
        LoadAndShow(*window());
}

} // namespace AppModul

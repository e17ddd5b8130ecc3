#include "startup.h"

#include "../support/paths.h"
#include "../support/step.h"
#include "../ui/folder_lists.h"
#include "../ui/tuner.h"
#include "globals.h"

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

void LoadAndShow(Tuner& tuner) {
    attempt([&] { tuner.Form_Load(); });
    attempt([&] { tuner.TunersDir->setPath(TunesPath); });
    attempt([&] { tuner.TunersDir->Refresh(); });
    const int16_t count = tuner.TunersDir->ListCount();
    if (count > 0) {
        // The instruments are appended in the folder list's order; they are handed to the
        // drop-down in one go, which nothing can tell from one at a time.
        QStringList instruments;
        for (int16_t i = 0; i < count; ++i) {
            QString name;
            attempt([&] { name = Commands::LastPathComponent(tuner.TunersDir->entry(i)); });
            attempt([&] { tuner.TunerFiles->setPath(TunesPath + name); });
            attempt([&] { tuner.TunerFiles->Refresh(); });
            attempt([&] {
                if (tuner.TunerFiles->ListCount() > 0)
                    instruments.append(name);
            });
        }
        attempt([&] { tuner.cboInstrument->addItems(instruments); });
        attempt([&] {
            // Setting the text selects the entry of that name where there is one, as a pick
            // would; without one the text stands alone and no entry is current, so the first
            // Down arrow chooses entry 0. No handler runs either way.
            const QString name = QStringLiteral("Ukulele");
            tuner.cboInstrument->setCurrentIndex(
                tuner.cboInstrument->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive));
            tuner.cboInstrument->setEditText(name);
        });
        attempt([&] { tuner.cboInstrument_Click(); });
    }
    attempt([&] { tuner.show(); });
}

void Main() {
    // Command-line arguments are ignored: the program behaves the same with any.
    attempt([] { Commands::InitEnvironment(); });
    attempt([] { InitAppNames(); });
    attempt([] {
        if (!window())
            window() = std::make_unique<Tuner>();
    });
    if (window())
        LoadAndShow(*window());
}

} // namespace AppModul

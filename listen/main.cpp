// veltrosan-tuner-listen: hears a string and tells how far it is from its note.
#include "generated/product.h"
#include "listen/file_listening.h"
#include "listen/listen_window.h"
#include "support/files/file_names.h"
#include "support/instrument_schema.h"
#include "support/pitch/notes.h"

#include <QApplication>
#include <QStringList>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

namespace {

const char kHelp[] =
    "Usage: veltrosan-tuner-listen [--a4 HZ]\n"
    "       veltrosan-tuner-listen --file FILE.wav [--a4 HZ]\n"
    "Hears a string through the microphone and shows, in a window, which string of the\n"
    "instrument it is and how many cents it is from that string's reference tone. With --file,\n"
    "hears a recording instead, moment by moment: note and cents.\n"
    "\n"
    "  --file FILE.wav   the recording to hear; one line every 5 ms:\n"
    "                    seconds frequency note cents (\"seconds 0 - -\" where no pitch is heard)\n"
    "  --a4 HZ           the reference A4 the notes are named at, 400 to 480 (default 440)\n"
    "  --help            shows this text\n"
    "  --version         shows the version\n"
    "\n"
    "Exit status: 0 when the file was heard, 2 for bad input (no such file, not a WAV file,\n"
    "a reference out of range).\n";

int badInput(const QString& problem) {
    std::fprintf(stderr, "veltrosan-tuner-listen: %s\n", problem.toLocal8Bit().constData());
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    // Only the window needs a display: the file command runs anywhere.
    bool window = true;
    for (int i = 1; i < argc; ++i)
        window = window && std::strcmp(argv[i], "--file") != 0 &&
                 std::strcmp(argv[i], "--help") != 0 && std::strcmp(argv[i], "--version") != 0;
    std::unique_ptr<QCoreApplication> application =
        window ? std::make_unique<QApplication>(argc, argv)
               : std::make_unique<QCoreApplication>(argc, argv);
    // The arguments as the file system spells them: a file name need not be UTF-8.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(FileNames::fromFileSystem(argv[i]));
    QString file;
    std::optional<double> a4;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--help")) {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (arg == QLatin1String("--version")) {
            std::printf("veltrosan-tuner-listen (%s) %s\n", TUNER_TITLE, TUNER_VERSION);
            return 0;
        }
        const bool takesValue = arg == QLatin1String("--file") || arg == QLatin1String("--a4");
        if (!takesValue)
            return badInput(QStringLiteral("unknown argument '%1' (see --help)").arg(arg));
        if (i + 1 >= args.size())
            return badInput(QStringLiteral("%1 needs a value").arg(arg));
        const QString value = args[++i];
        if (arg == QLatin1String("--file")) {
            file = value;
            continue;
        }
        bool number = false;
        a4 = value.toDouble(&number);
        if (!number || !(*a4 >= Notes::kLowestA4 && *a4 <= Notes::kHighestA4))
            return badInput(
                QStringLiteral("--a4 is a frequency from 400 to 480 Hz, not '%1'").arg(value));
    }
    if (!file.isEmpty())
        return listenToFile(file, a4.value_or(Notes::kDefaultA4), stdout, stderr) ? 0 : 2;
    QApplication::setApplicationName(QStringLiteral(TUNER_TITLE " Listen"));
    ListenWindow listening(InstrumentFolder::tunesFolder(QCoreApplication::applicationDirPath()),
                           a4);
    listening.show();
    return QCoreApplication::exec();
}

// veltrosan-tuner-listen: hears a string and tells how far it is from its note.
#include "generated/product.h"
#include "listen/file_listening.h"
#include "support/pitch/notes.h"

#include <QCoreApplication>
#include <QStringList>
#include <cmath>
#include <cstdio>

namespace {

const char kHelp[] =
    "Usage: veltrosan-tuner-listen --file FILE.wav [--a4 HZ]\n"
    "Hears the pitch of a recording, moment by moment: note and cents.\n"
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
    QCoreApplication application(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    QString file;
    double a4 = Notes::kDefaultA4;
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
        if (!number || !(a4 >= Notes::kLowestA4 && a4 <= Notes::kHighestA4))
            return badInput(
                QStringLiteral("--a4 is a frequency from 400 to 480 Hz, not '%1'").arg(value));
    }
    if (file.isEmpty())
        return badInput(QStringLiteral("--file FILE.wav is needed (see --help)"));
    return listenToFile(file, a4, stdout, stderr) ? 0 : 2;
}

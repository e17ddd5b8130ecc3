// veltrosan-tuner-make: makes an instrument folder for the tuner from a preset or from notes.
// Bad input gets one line on standard error and exit status 2, and nothing is written; a
// failure while writing gets exit status 1 and leaves no folder behind.

#include "instrument_folder.h"
#include "instrument_presets.h"
#include "support/instrument_schema.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

constexpr char kHelp[] = R"help(Usage: veltrosan-tuner-make [PRESET] [OPTIONS]

Makes one instrument folder for Veltrosan Tuner: a recording for each string, tuned exactly in
equal temperament, the two pictures with the notes on the pegs, and tuner.ini.

  PRESET              a tuning from --list, e.g. guitar-drop-d or cello
  --notes N1,N2,...   1 to 6 notes in peg order, scientific pitch notation from C0 to B7,
                      with # or b: E2,A2,D3,G3,B3,E4 or Bb1 or F#3 (replaces a preset's notes)
  --a4 HZ             the reference pitch of A4, from 400 to 480 (default 440)
  --sound KIND        plucked, bowed, or both (two sound options, "bowed" and "pizzicato",
                      each with its own recordings; pizzicato has pictures of its own)
  --name NAME         the instrument's folder name and title (a preset has one; needed with
                      --notes alone)
  --into FOLDER       the Tunes folder to write into (default: the Tunes beside the program)
  --replace           replace an instrument folder of the same name (else it is left alone)
  --list              lists the presets
  --help              shows this text

Examples:
  veltrosan-tuner-make guitar-drop-d
                      a preset at A4 = 440 Hz, into the Tunes beside the program
  veltrosan-tuner-make --name "Guitar (Open G)" --notes D2,G2,D3,G3,B3,D4 --a4 442
                      a tuning of your own at another reference pitch
  veltrosan-tuner-make cello --sound bowed --into ~/my-tunes
                      a bowed cello in a Tunes folder of your own
  veltrosan-tuner-make violin --a4 415 --name "Violin 415" --replace
                      baroque pitch, replacing an earlier folder of that name

Exit status:
  0                   the folder was made
  1                   it could not be written (nothing is left behind)
  2                   bad input: one line says what, and nothing is written
)help";

struct BadInput {
    QString message;
};

struct Request {
    const Maker::Preset* preset = nullptr;
    Maker::Instrument instrument;
    QString into;
    Maker::Existing existing = Maker::Existing::Keep;
};

// The value of an option given as "--opt value" or "--opt=value".
QString valueOf(const QStringList& args, qsizetype& i, const QString& option) {
    const QString& arg = args[i];
    if (arg.startsWith(option + u'='))
        return arg.mid(option.size() + 1);
    if (i + 1 >= args.size())
        throw BadInput{option + QStringLiteral(" needs a value")};
    return args[++i];
}

Request parse(const QStringList& args) {
    Request r;
    QString notes, name, a4, sound;
    bool haveNotes = false, haveName = false, haveA4 = false, haveSound = false;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        const auto is = [&](const char* option) {
            return arg == QLatin1String(option) || arg.startsWith(QLatin1String(option) + u'=');
        };
        if (is("--notes"))
            notes = valueOf(args, i, u"--notes"_s), haveNotes = true;
        else if (is("--name"))
            name = valueOf(args, i, u"--name"_s), haveName = true;
        else if (is("--a4"))
            a4 = valueOf(args, i, u"--a4"_s), haveA4 = true;
        else if (is("--sound"))
            sound = valueOf(args, i, u"--sound"_s), haveSound = true;
        else if (is("--into"))
            r.into = valueOf(args, i, u"--into"_s);
        else if (arg == u"--replace"_s)
            r.existing = Maker::Existing::Replace;
        else if (arg.startsWith(u'-'))
            throw BadInput{QStringLiteral("unknown option '%1' (see --help)").arg(arg)};
        else if (r.preset)
            throw BadInput{QStringLiteral("one preset at a time, not also '%1'").arg(arg)};
        else if (!(r.preset = Maker::findPreset(arg)))
            throw BadInput{QStringLiteral("no preset '%1' (see --list)").arg(arg)};
    }
    if (!r.preset && !haveNotes)
        throw BadInput{QStringLiteral("give a preset or --notes (see --help)")};
    if (!r.preset && !haveName)
        throw BadInput{QStringLiteral("--notes without a preset needs --name")};
    r.instrument = r.preset ? r.preset->instrument : Maker::Instrument{};
    if (!r.preset)
        r.instrument.wood = QColor(150, 96, 52);
    if (haveNotes)
        r.instrument.notes = notes.split(u',');
    for (QString& note : r.instrument.notes)
        note = note.trimmed();
    if (haveName)
        r.instrument.name = name;
    if (haveA4) {
        bool ok = false;
        r.instrument.a4 = a4.toDouble(&ok);
        if (!ok)
            throw BadInput{QStringLiteral("'%1' is not a frequency in Hz").arg(a4)};
    }
    if (haveSound) {
        const auto voice = Maker::voiceNamed(sound);
        if (!voice)
            throw BadInput{
                QStringLiteral("--sound is plucked, bowed or both, not '%1'").arg(sound)};
        r.instrument.voice = *voice;
    }
    for (const QString& problem :
         {Maker::notesProblem(r.instrument.notes), Maker::a4Problem(r.instrument.a4),
          Maker::nameProblem(r.instrument.name)})
        if (!problem.isEmpty())
            throw BadInput{problem};
    if (r.into.isEmpty()) // beside the program, links to it resolved
        r.into = InstrumentFolder::tunesFolder(
            QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).path());
    if (QFileInfo(r.into).exists() && !QFileInfo(r.into).isDir())
        throw BadInput{QStringLiteral("%1 is not a folder").arg(r.into)};
    return r;
}

void list() {
    for (const Maker::Preset& p : Maker::presets())
        std::printf("%-22s %-24s %-26s %s\n", qPrintable(p.id), qPrintable(p.instrument.name),
                    qPrintable(p.instrument.notes.join(u',')),
                    qPrintable(Maker::voiceName(p.instrument.voice)));
}

} // namespace

int main(int argc, char** argv) {
    // Every message of this command is its own one line; Qt's notes on the platform are not.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "veltrosan-tuner-make: %s\n", qPrintable(text));
    });
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (args.contains(u"--help"_s) || args.contains(u"-h"_s)) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (args.contains(u"--list"_s)) {
        list();
        return 0;
    }
    Request request;
    try {
        request = parse(args);
    } catch (const BadInput& bad) {
        std::fprintf(stderr, "veltrosan-tuner-make: %s\n", qPrintable(bad.message));
        return 2;
    }
    // The pictures are drawn with Qt's painter; no display is needed.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const Maker::Written written =
        Maker::writeInstrument(request.instrument, request.into, request.existing);
    if (written.status != Maker::Written::Made) {
        std::fprintf(stderr, "veltrosan-tuner-make: %s\n", qPrintable(written.problem));
        return written.status == Maker::Written::Exists ? 2 : 1;
    }
    std::printf("made %s\n", qPrintable(QDir(request.into).filePath(request.instrument.name)));
    return 0;
}

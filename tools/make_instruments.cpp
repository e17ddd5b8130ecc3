// Writes the sample instruments: a complete Tunes folder with recordings, pictures and
// profiles, the same byte for byte on every run; and the program's icon.
//
//   make_instruments <folder>             writes <folder>/Tunes
//   make_instruments --icon <32.png> <128.png>

#include "artwork.h"
#include "generated/product.h"
#include "string_synth.h"
#include "support/paths.h"
#include "wav_file.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <cstdio>

namespace {

using Artwork::HeadDesign;

struct Option {
    QString name; // empty for an instrument without options
    bool plucked;
    bool ownPictures; // pictures and peg layout of its own
};

struct Instrument {
    QString name;
    QStringList notes; // in peg order
    QColor wood;
    QList<Option> options;
};

// Peg areas for two rows of pegs: left column from the bottom up, right column from the top
// down, as the tuner numbers them.
std::array<QRect, 6> pegAreas(int count, int shift) {
    std::array<QRect, 6> areas{};
    const QList<QRect> six(HeadLayout::kPegAreas.begin(), HeadLayout::kPegAreas.end());
    const QList<QRect> four = {
        {10, 196, 96, 84}, {10, 92, 96, 84}, {278, 92, 96, 84}, {278, 196, 96, 84}};
    const QList<QRect> five = {{10, 300, 96, 84},
                               {10, 196, 96, 84},
                               {10, 92, 96, 84},
                               {278, 92, 96, 84},
                               {278, 196, 96, 84}};
    const QList<QRect>& chosen = count == 6 ? six : count == 5 ? five : four;
    for (int k = 0; k < count; ++k)
        areas[size_t(k)] = chosen[k].translated(0, shift);
    return areas;
}

QString profileText(const Instrument& in, const std::array<QRect, 6>& areas, bool withOptions) {
    QString t = QStringLiteral("[" TUNER_TITLE "]\n");
    if (withOptions && !in.options.first().name.isEmpty()) {
        t += QStringLiteral("Options=%1\n").arg(in.options.size());
        for (int i = 0; i < in.options.size(); ++i)
            t += QStringLiteral("Option%1=%2\n").arg(i + 1).arg(in.options[i].name);
    }
    for (int k = 0; k < 6; ++k) {
        const QRect& a = areas[size_t(k)];
        t +=
            QStringLiteral("Tuner%1-Top=%2\nTuner%1-Left=%3\nTuner%1-Height=%4\nTuner%1-Width=%5\n")
                .arg(k + 1)
                .arg(a.isEmpty() ? 0 : a.top())
                .arg(a.isEmpty() ? 0 : a.left())
                .arg(a.isEmpty() ? 0 : a.height())
                .arg(a.isEmpty() ? 0 : a.width());
    }
    return t;
}

QByteArray wav(const std::vector<int16_t>& samples) {
    return pcm16WavFile(samples, StringSynth::kRate, 1);
}

bool write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

bool writeBmp(const QString& path, const QImage& image) {
    return image.convertToFormat(QImage::Format_RGB888).save(path, "BMP");
}

HeadDesign design(const Instrument& in, const std::array<QRect, 6>& areas, QColor light,
                  const QString& subtitle) {
    HeadDesign d;
    d.title = subtitle.isEmpty() ? in.name : in.name + QStringLiteral(" \u00B7 ") + subtitle;
    d.wood = in.wood;
    d.light = light;
    for (int k = 0; k < 6; ++k)
        d.pegs[size_t(k)] = {areas[size_t(k)], k < in.notes.size() ? in.notes[k] : QString()};
    return d;
}

bool makeInstrument(const QString& tunes, const Instrument& in) {
    const QString folder = tunes + in.name + '/';
    QDir().mkpath(folder);
    const auto areas = pegAreas(int(in.notes.size()), 0);
    const QString ini = QLatin1String(Commands::ProfileFileName);
    const QString off = QLatin1String(Commands::AllOffFileName);
    const QString on = QLatin1String(Commands::AllOnFileName);
    bool ok = write(folder + ini, profileText(in, areas, true).toUtf8());
    const HeadDesign plain = design(in, areas, QColor(255, 200, 60), QString());
    ok = ok && writeBmp(folder + off, Artwork::drawHead(plain, false)) &&
         writeBmp(folder + on, Artwork::drawHead(plain, true));
    unsigned seed = 1;
    for (const Option& option : in.options) {
        const QString prefix = option.name.isEmpty() ? QString() : option.name + '-';
        if (option.ownPictures) {
            // Its own pictures, with the pegs a little lower, and the layout to match.
            const auto own = pegAreas(int(in.notes.size()), 24);
            const HeadDesign d = design(in, own, QColor(120, 220, 255), option.name);
            const auto named = [&](const QString& plainName) {
                return folder + Commands::OptionFileName(option.name, plainName);
            };
            ok = ok && write(named(ini), profileText(in, own, false).toUtf8()) &&
                 writeBmp(named(off), Artwork::drawHead(d, false)) &&
                 writeBmp(named(on), Artwork::drawHead(d, true));
        }
        for (int k = 0; k < in.notes.size(); ++k) {
            const double f = StringSynth::noteFrequency(in.notes[k]);
            const auto samples = option.plucked ? StringSynth::plucked(f, 3.0, seed++)
                                                : StringSynth::sustained(f, 2.0);
            const QString name =
                QStringLiteral("%1%2-%3.wav").arg(prefix).arg(k + 1).arg(in.notes[k]);
            ok = ok && write(folder + name, wav(samples));
        }
    }
    return ok;
}

bool makeIcons(const QString& small, const QString& large) {
    const QImage icon = Artwork::iconImage();
    return icon.save(small, "PNG") &&
           icon.scaled(128, 128, Qt::IgnoreAspectRatio, Qt::FastTransformation).save(large, "PNG");
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == "--icon")
        return makeIcons(args[2], args[3]) ? 0 : 1;
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: make_instruments <folder> | --icon <32.png> <128.png>\n");
        return 2;
    }
    const QString tunes = QDir(args[1]).absoluteFilePath("Tunes") + '/';
    QDir().mkpath(tunes);
    const Option plucked{QString(), true, false};
    const QList<Instrument> instruments = {
        {"Ukulele", {"G4", "C4", "E4", "A4"}, QColor(176, 112, 58), {plucked}},
        {"Guitar", {"E2", "A2", "D3", "G3", "B3", "E4"}, QColor(112, 62, 40), {plucked}},
        {"Bass", {"E1", "A1", "D2", "G2"}, QColor(70, 52, 44), {plucked}},
        {"Mandolin", {"G3", "D4", "A4", "E5"}, QColor(168, 92, 38), {plucked}},
        {"Banjo", {"g4", "D3", "G3", "B3", "D4"}, QColor(128, 86, 52), {plucked}},
        {"Violin",
         {"G3", "D4", "A4", "E5"},
         QColor(182, 104, 42),
         {{"bowed", false, false}, {"pizzicato", true, true}}},
    };
    bool ok = write(tunes + QLatin1String(Commands::ReleaseFileName), wav(StringSynth::release()));
    for (const Instrument& in : instruments)
        ok = makeInstrument(tunes, in) && ok;
    return ok ? 0 : 1;
}

#include "instrument_folder.h"

#include "artwork.h"
#include "generated/product.h"
#include "string_synth.h"
#include "support/instrument_schema.h"
#include "support/picture/head_layout.h"
#include "support/sound/wav_file.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Maker {
namespace {

using Areas = std::array<QRect, 6>;

// One sound option of a folder; an instrument without options has one with an empty name.
struct Option {
    QString name;
    bool plucked;
    bool ownPictures; // pictures and peg layout of its own
};

QList<Option> optionsOf(Voice voice) {
    switch (voice) {
    case Voice::Plucked:
        return {{QString(), true, false}};
    case Voice::Bowed:
        return {{QString(), false, false}};
    case Voice::Both:
        break;
    }
    return {{QStringLiteral("bowed"), false, false}, {QStringLiteral("pizzicato"), true, true}};
}

// Peg areas for two rows of pegs: left column from the bottom up, right column from the top
// down, as the tuner numbers them; lowered by shift pixels.
Areas pegAreas(qsizetype count, int shift) {
    Areas areas{};
    const QList<QRect> six(HeadLayout::kPegAreas.begin(), HeadLayout::kPegAreas.end());
    const QList<QRect> four = {
        {10, 196, 96, 84}, {10, 92, 96, 84}, {278, 92, 96, 84}, {278, 196, 96, 84}};
    const QList<QRect> five = {{10, 300, 96, 84},
                               {10, 196, 96, 84},
                               {10, 92, 96, 84},
                               {278, 92, 96, 84},
                               {278, 196, 96, 84}};
    const QList<QRect>& chosen = count == 6 ? six : count == 5 ? five : four;
    for (qsizetype k = 0; k < count; ++k)
        areas[size_t(k)] = chosen[k].translated(0, shift);
    return areas;
}

QByteArray profileText(const QList<Option>& options, const Areas& areas) {
    QString t = QStringLiteral("[" TUNER_TITLE "]\n");
    const auto line = [&t](const QString& key, const QString& value) {
        t += key + u'=' + value + u'\n';
    };
    using namespace InstrumentFolder;
    if (!options.isEmpty() && !options.first().name.isEmpty()) {
        line(QLatin1String(OptionCountKey), QString::number(options.size()));
        for (int i = 0; i < options.size(); ++i)
            line(optionKey(i + 1), options[i].name);
    }
    for (int k = 0; k < 6; ++k) {
        const QRect a = areas[size_t(k)].isEmpty() ? QRect() : areas[size_t(k)];
        const int values[] = {a.top(), a.left(), a.height(), a.width()};
        for (int p = 0; p < 4; ++p)
            line(pegKey(k + 1, PegProperties[p]), QString::number(values[p]));
    }
    return t.toUtf8();
}

QByteArray wav(const std::vector<int16_t>& samples) {
    return pcm16WavFile(samples, StringSynth::kRate, 1);
}

QByteArray bitmap(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP");
    return bytes;
}

Artwork::HeadDesign design(const Instrument& in, const Areas& areas, QColor light,
                           const QString& subtitle) {
    Artwork::HeadDesign d;
    d.title = subtitle.isEmpty() ? in.name : in.name + QStringLiteral(" \u00B7 ") + subtitle;
    d.wood = in.wood;
    d.light = light;
    for (int k = 0; k < 6; ++k)
        d.pegs[size_t(k)] = {areas[size_t(k)], k < in.notes.size() ? in.notes[k] : QString()};
    return d;
}

// Writes the file and makes its bytes durable; a full disk shows here, not after the rename.
bool writeDurably(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return !bytes.isEmpty() && file.open(QIODevice::WriteOnly) &&
           file.write(bytes) == bytes.size() && file.flush() && ::fsync(file.handle()) == 0;
}

// Every file of the folder, by name.
QList<std::pair<QString, QByteArray>> folderFiles(const Instrument& in) {
    using InstrumentFolder::optionFileName;
    const QString ini = QLatin1String(InstrumentFolder::ProfileFileName);
    const QString off = QLatin1String(InstrumentFolder::AllOffFileName);
    const QString on = QLatin1String(InstrumentFolder::AllOnFileName);
    const QList<Option> options = optionsOf(in.voice);
    const Areas areas = pegAreas(in.notes.size(), 0);
    const Artwork::HeadDesign plain = design(in, areas, QColor(255, 200, 60), QString());
    QList<std::pair<QString, QByteArray>> files = {{ini, profileText(options, areas)},
                                                   {off, bitmap(Artwork::drawHead(plain, false))},
                                                   {on, bitmap(Artwork::drawHead(plain, true))}};
    unsigned seed = 1;
    for (const Option& option : options) {
        if (option.ownPictures) {
            // Its own pictures, with the pegs a little lower, and the layout to match.
            const Areas own = pegAreas(in.notes.size(), 24);
            const Artwork::HeadDesign d = design(in, own, QColor(120, 220, 255), option.name);
            files.append({optionFileName(option.name, ini), profileText({}, own)});
            files.append({optionFileName(option.name, off), bitmap(Artwork::drawHead(d, false))});
            files.append({optionFileName(option.name, on), bitmap(Artwork::drawHead(d, true))});
        }
        for (int k = 0; k < in.notes.size(); ++k) {
            const double f = *noteFrequency(in.notes[k], in.a4);
            const auto samples = option.plucked ? StringSynth::plucked(f, 3.0, seed++)
                                                : StringSynth::sustained(f, 2.0);
            const QString name = QStringLiteral("%1-%2.wav").arg(k + 1).arg(in.notes[k]);
            files.append(
                {option.name.isEmpty() ? name : optionFileName(option.name, name), wav(samples)});
        }
    }
    return files;
}

// Moves the finished folder into place: atomically, and over an existing one only when asked
// (then the old one is swapped out and removed).
bool moveIntoPlace(const QString& from, const QString& to, Existing existing) {
    const QByteArray source = QFile::encodeName(from), target = QFile::encodeName(to);
    const unsigned flags =
        existing == Existing::Replace && QFileInfo::exists(to) ? RENAME_EXCHANGE : RENAME_NOREPLACE;
    return ::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), flags) == 0;
}

QString errorText() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

Written writeInstrument(const Instrument& instrument, const QString& tunes, Existing existing) {
    const QString target = QDir(tunes).filePath(instrument.name);
    const auto failed = [](const QString& problem) { return Written{Written::Failed, problem}; };
    if (existing == Existing::Keep && QFileInfo(target).exists())
        return {Written::Exists, target + QStringLiteral(" exists (--replace replaces it)")};
    if (!QDir().mkpath(tunes))
        return failed(QStringLiteral("cannot make the folder %1").arg(tunes));
    // Hidden, so that the tuner does not list it while it is being written.
    QTemporaryDir work(QDir(tunes).filePath(QStringLiteral(".veltrosan-tuner-make-XXXXXX")));
    if (!work.isValid())
        return failed(QStringLiteral("cannot write in %1").arg(tunes));
    for (const auto& [name, bytes] : folderFiles(instrument))
        if (!writeDurably(work.filePath(name), bytes))
            return failed(QStringLiteral("cannot write %1: %2").arg(name, errorText()));
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(QFile::encodeName(work.path()).constData(), 0777 & ~mask);
    if (!moveIntoPlace(work.path(), target, existing))
        return failed(
            QStringLiteral("cannot put the folder in place as %1: %2").arg(target, errorText()));
    return {}; // after an exchange, the old folder is where the work was, and goes with it
}

QByteArray releaseRecording() {
    return wav(StringSynth::release());
}

} // namespace Maker

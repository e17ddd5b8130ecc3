// The build's part of the instrument maker: the sample instruments (presets at A4 = 440 Hz),
// the release sound and the program's icon, the same byte for byte on every run.
//
//   make_instruments <folder>             writes <folder>/Tunes
//   make_instruments --icon <32.png> <128.png>

#include "artwork.h"
#include "instrument_folder.h"
#include "support/instrument_schema.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

bool makeIcons(const QString& small, const QString& large) {
    const QImage icon = Artwork::iconImage();
    return icon.save(small, "PNG") &&
           icon.scaled(128, 128, Qt::IgnoreAspectRatio, Qt::FastTransformation).save(large, "PNG");
}

bool makeSamples(const QString& tunes) {
    QFile release(tunes + QLatin1String(InstrumentFolder::ReleaseFileName));
    const QByteArray bytes = Maker::releaseRecording();
    bool ok = release.open(QIODevice::WriteOnly) && release.write(bytes) == bytes.size();
    for (const char* id : {"ukulele", "guitar", "bass", "mandolin", "banjo", "violin"}) {
        const Maker::Written written =
            Maker::writeInstrument(Maker::findPreset(QString::fromLatin1(id))->instrument, tunes,
                                   Maker::Existing::Replace);
        if (written.status != Maker::Written::Made)
            std::fprintf(stderr, "make_instruments: %s\n", qPrintable(written.problem));
        ok = ok && written.status == Maker::Written::Made;
    }
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == u"--icon"_s)
        return makeIcons(args[2], args[3]) ? 0 : 1;
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: make_instruments <folder> | --icon <32.png> <128.png>\n");
        return 2;
    }
    const QString tunes = InstrumentFolder::tunesFolder(QDir(args[1]).absolutePath());
    return QDir().mkpath(tunes) && makeSamples(tunes) ? 0 : 1;
}

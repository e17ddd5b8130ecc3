#include "instrument_presets.h"

#include <cmath>

namespace Maker {

const std::vector<Preset>& presets() {
    const auto make = [](const char* id, const char* name, const char* notes, Voice voice,
                         QColor wood) {
        return Preset{
            QString::fromLatin1(id),
            {QString::fromUtf8(name), QString::fromLatin1(notes).split(u','), 440, voice, wood}};
    };
    const QColor guitar(112, 62, 40), ukulele(176, 112, 58), bass(70, 52, 44);
    const QColor violin(182, 104, 42);
    static const std::vector<Preset> list = {
        make("guitar", "Guitar", "E2,A2,D3,G3,B3,E4", Voice::Plucked, guitar),
        make("guitar-drop-d", "Guitar (Drop D)", "D2,A2,D3,G3,B3,E4", Voice::Plucked, guitar),
        make("guitar-dadgad", "Guitar (DADGAD)", "D2,A2,D3,G3,A3,D4", Voice::Plucked, guitar),
        make("guitar-open-g", "Guitar (Open G)", "D2,G2,D3,G3,B3,D4", Voice::Plucked, guitar),
        make("guitar-open-d", "Guitar (Open D)", "D2,A2,D3,F#3,A3,D4", Voice::Plucked, guitar),
        make("guitar-half-step-down", "Guitar (Half Step Down)", "Eb2,Ab2,Db3,Gb3,Bb3,Eb4",
             Voice::Plucked, guitar),
        make("ukulele", "Ukulele", "G4,C4,E4,A4", Voice::Plucked, ukulele),
        make("ukulele-low-g", "Ukulele (Low G)", "G3,C4,E4,A4", Voice::Plucked, ukulele),
        make("ukulele-baritone", "Ukulele (Baritone)", "D3,G3,B3,E4", Voice::Plucked, ukulele),
        make("bass", "Bass", "E1,A1,D2,G2", Voice::Plucked, bass),
        make("bass-5", "Bass (5 Strings)", "B0,E1,A1,D2,G2", Voice::Plucked, bass),
        make("mandolin", "Mandolin", "G3,D4,A4,E5", Voice::Plucked, QColor(168, 92, 38)),
        // The short fifth string, high G, is written in small letters as banjo players do.
        make("banjo", "Banjo", "g4,D3,G3,B3,D4", Voice::Plucked, QColor(128, 86, 52)),
        make("violin", "Violin", "G3,D4,A4,E5", Voice::Both, violin),
        make("viola", "Viola", "C3,G3,D4,A4", Voice::Both, violin.darker(115)),
        make("cello", "Cello", "C2,G2,D3,A3", Voice::Both, violin.darker(135)),
    };
    return list;
}

const Preset* findPreset(const QString& id) {
    for (const Preset& preset : presets())
        if (preset.id == id)
            return &preset;
    return nullptr;
}

std::optional<double> noteFrequency(const QString& note, double a4) {
    static const QString letters = QStringLiteral("CDEFGAB");
    static const int steps[] = {0, 2, 4, 5, 7, 9, 11};
    if (note.size() < 2 || note.size() > 3)
        return std::nullopt;
    const qsizetype letter = letters.indexOf(note.at(0).toUpper());
    if (letter < 0)
        return std::nullopt;
    int semitone = steps[letter];
    qsizetype i = 1;
    if (note.size() == 3) {
        if (note.at(1) != u'#' && note.at(1) != u'b')
            return std::nullopt;
        semitone += note.at(1) == u'#' ? 1 : -1;
        i = 2;
    }
    const QChar octave = note.at(i);
    if (octave < u'0' || octave > u'7')
        return std::nullopt;
    const int midi = 12 * (octave.digitValue() + 1) + semitone;
    return a4 * std::pow(2.0, (midi - 69) / 12.0);
}

QString notesProblem(const QStringList& notes) {
    if (notes.isEmpty() || notes.size() > kMaxNotes)
        return QStringLiteral("give 1 to %1 notes, not %2").arg(kMaxNotes).arg(notes.size());
    for (const QString& note : notes)
        if (!noteFrequency(note, 440))
            return QStringLiteral("'%1' is not a note from C0 to B7 such as E2, F#3 or Bb1")
                .arg(note);
    return {};
}

QString nameProblem(const QString& name) {
    if (name.trimmed().isEmpty())
        return QStringLiteral("the name is empty");
    if (name.startsWith(u'.'))
        return QStringLiteral("a name that starts with '.' makes a hidden folder the tuner skips");
    if (name.contains(u'/'))
        return QStringLiteral("a name cannot hold '/'");
    for (const QChar c : name)
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("a name cannot hold control characters");
    if (name.toUtf8().size() > 200)
        return QStringLiteral("the name is too long");
    return {};
}

QString a4Problem(double a4) {
    if (!(a4 >= kLowestA4 && a4 <= kHighestA4))
        return QStringLiteral("the reference A4 must be from %1 to %2 Hz")
            .arg(kLowestA4)
            .arg(kHighestA4);
    return {};
}

std::optional<Voice> voiceNamed(const QString& name) {
    for (Voice voice : {Voice::Plucked, Voice::Bowed, Voice::Both})
        if (voiceName(voice) == name)
            return voice;
    return std::nullopt;
}

QString voiceName(Voice voice) {
    switch (voice) {
    case Voice::Plucked:
        return QStringLiteral("plucked");
    case Voice::Bowed:
        return QStringLiteral("bowed");
    case Voice::Both:
        break;
    }
    return QStringLiteral("both");
}

} // namespace Maker

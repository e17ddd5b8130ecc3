#pragma once
// What each string is tuned to: the pitch measured in its own recording, so that an instrument
// made at any reference pitch, or recorded by its player, needs no note names. A heard pitch is
// matched to the nearest string.

#include "support/pitch/pitch_detector.h"

#include <QString>
#include <optional>
#include <vector>

struct Recording;

// The readings of a decoded recording, its two channels heard as one.
std::vector<PitchReading> recordingReadings(const Recording& recording);

// The steady pitch of the recording at path: the median reading from 100 ms after its start on.
// Measured once per file (by its identity: a changed file is measured again) and kept. None for
// a file that cannot be decoded or has no pitch. Not thread-safe.
std::optional<double> recordingPitch(const QString& path);

struct StringMatch {
    int string = -1;  // index into the targets; -1 for no targets
    QString note;     // the target's nearest equal-tempered note at the reference A4
    double cents = 0; // of the heard pitch from the target (+ sharp, - flat)
};

StringMatch nearestString(const std::vector<double>& targets, double frequency, double a4 = 440);

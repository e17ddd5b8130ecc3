#pragma once
// Decoding of WAV recordings into the mixer's stereo float form.
// Metadata chunks of any size may stand before the samples. A file that is missing, not a
// regular file, not a WAV, truncated (its data chunk reaches past the end of the file), or
// whose header is absurd (more than 8 channels, a rate outside
// 1 kHz..384 kHz, more than 24 million samples) gives no recording.

#include "support/sound/mixer.h"

#include <QByteArrayView>
#include <QString>
#include <memory>

// Decodes WAV bytes held in memory (the decoding path shared with files).
std::shared_ptr<const Recording> decodeWavBytes(QByteArrayView bytes);

// Decodes the WAV file at path.
std::shared_ptr<const Recording> decodeWavFile(const QString& path);

#pragma once
// Which way the program's sound takes, for the whole process: the sound server where one answers
// (else SDL over ALSA), or SDL as it chooses, the server first: the way sound took before the
// server was spoken to directly, kept so that the benchmarks and the device soak can compare.

enum class SoundWay { Automatic, Sdl };

// Set before the first sound output or microphone is made.
void setSoundWay(SoundWay way);
SoundWay soundWay();

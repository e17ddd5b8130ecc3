#pragma once

class Tuner;

namespace AppModul {

// The program's start: folders and names, the window, the instrument list, the default
// instrument. Returns once the window is shown; the program then lives in its handlers.
void Main();

// The window Main created (null before).
Tuner* TunerWindow();
// Destroys the window; the program's end.
void DestroyTunerWindow();

// Main's work once the folders and names are set: loads the window, fills the instrument list
// from the folders below TunesPath, makes "Ukulele" current and shows the window.
void LoadAndShow(Tuner& window);
// Its second step: the instrument list, from the folders that hold a file, and "Ukulele" as
// its text.
void ListInstruments(Tuner& window);

} // namespace AppModul

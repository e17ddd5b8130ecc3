#include "sdl_audio_start.h"

#include "support/sound/sound_libraries.h"
#include "support/sound/sound_server_check.h"

SdlAudioStart startSdlAudio(const char* appName, const char* driver) {
    switch (driver ? ServerDevices::NoServer : pulseServerDevices()) {
    case ServerDevices::NoSink:
        return SdlAudioStart::NoSink;
    case ServerDevices::NoSource:
        return SdlAudioStart::NoSource;
    case ServerDevices::NoServer:
    case ServerDevices::Both:
        break;
    }
    const SoundLibraries& lib = soundLibraries();
    if (!lib.haveSdl)
        return SdlAudioStart::Failed;
    lib.SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, appName);
    if (driver)
        lib.SDL_SetHint(SDL_HINT_AUDIODRIVER, driver);
    // SDL would take SIGINT and SIGTERM for an event queue nobody reads: the program could then
    // not be ended by a signal (at logout, or by a service manager).
    lib.SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    return lib.SDL_InitSubSystem(SDL_INIT_AUDIO) == 0 ? SdlAudioStart::Started
                                                      : SdlAudioStart::Failed;
}

#pragma once
#include "Interfaces.h"
#include <memory>

namespace kv {

// The system's player for mp3 and wav files (SDL2_mixer). The audio device
// is opened at the first use, not at start-up.
std::unique_ptr<ISound> createSystemSound();
// The exclamation beep: a short sound of the program's own, played the same
// way; the display's bell when no audio device opens.
std::unique_ptr<IBeep> createSystemBeep();

} // namespace kv

#include "Sound.h"
#include "RegularFile.h"

#include <QApplication>
#include <QFile>
#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>
#include <cmath>
#include <dlfcn.h>
#include <vector>

namespace kv {

namespace {

// SDL2_mixer and the many libraries behind it are loaded at the first sound,
// not at every start of the program.
struct Mixer {
    decltype(&::SDL_InitSubSystem) InitSubSystem = nullptr;
    decltype(&::SDL_QuitSubSystem) QuitSubSystem = nullptr;
    decltype(&::SDL_GetError) GetError = nullptr;
    decltype(&::Mix_OpenAudio) OpenAudio = nullptr;
    decltype(&::Mix_Init) Init = nullptr;
    decltype(&::Mix_LoadMUS) LoadMUS = nullptr;
    decltype(&::Mix_FreeMusic) FreeMusic = nullptr;
    decltype(&::Mix_PlayMusic) PlayMusic = nullptr;
    decltype(&::Mix_HaltMusic) HaltMusic = nullptr;
    decltype(&::Mix_PauseMusic) PauseMusic = nullptr;
    decltype(&::Mix_ResumeMusic) ResumeMusic = nullptr;
    decltype(&::Mix_PausedMusic) PausedMusic = nullptr;
    decltype(&::Mix_PlayingMusic) PlayingMusic = nullptr;
    decltype(&::Mix_QuerySpec) QuerySpec = nullptr;
    decltype(&::Mix_QuickLoad_RAW) QuickLoad_RAW = nullptr;
    decltype(&::Mix_PlayChannelTimed) PlayChannelTimed = nullptr;
    decltype(&::Mix_FreeChunk) FreeChunk = nullptr;
};

const Mixer *mixer(QString *error) {
    static Mixer m;
    static int state = 0; // 0 untried, 1 loaded, -1 failed
    static QString failure;
    if (state == 0) {
        // SDL must leave SIGINT and SIGTERM alone: a logout ends the program.
        qputenv("SDL_NO_SIGNAL_HANDLERS", "1");
        void *sdl = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_GLOBAL);
        void *mix = sdl ? dlopen("libSDL2_mixer-2.0.so.0", RTLD_NOW | RTLD_GLOBAL) : nullptr;
        bool ok = mix != nullptr;
        const auto resolve = [&](void *lib, auto &fn, const char *name) {
            fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(lib, name));
            ok = ok && fn != nullptr;
        };
        if (ok) {
            resolve(sdl, m.InitSubSystem, "SDL_InitSubSystem");
            resolve(sdl, m.QuitSubSystem, "SDL_QuitSubSystem");
            resolve(sdl, m.GetError, "SDL_GetError");
            resolve(mix, m.OpenAudio, "Mix_OpenAudio");
            resolve(mix, m.Init, "Mix_Init");
            resolve(mix, m.LoadMUS, "Mix_LoadMUS");
            resolve(mix, m.FreeMusic, "Mix_FreeMusic");
            resolve(mix, m.PlayMusic, "Mix_PlayMusic");
            resolve(mix, m.HaltMusic, "Mix_HaltMusic");
            resolve(mix, m.PauseMusic, "Mix_PauseMusic");
            resolve(mix, m.ResumeMusic, "Mix_ResumeMusic");
            resolve(mix, m.PausedMusic, "Mix_PausedMusic");
            resolve(mix, m.PlayingMusic, "Mix_PlayingMusic");
            resolve(mix, m.QuerySpec, "Mix_QuerySpec");
            resolve(mix, m.QuickLoad_RAW, "Mix_QuickLoad_RAW");
            resolve(mix, m.PlayChannelTimed, "Mix_PlayChannelTimed");
            resolve(mix, m.FreeChunk, "Mix_FreeChunk");
        }
        state = ok ? 1 : -1;
        if (!ok)
            failure = QStringLiteral("Nie można załadować biblioteki dźwięku (SDL2_mixer): %1")
                          .arg(QString::fromLocal8Bit(dlerror()));
    }
    if (state < 0) {
        if (error)
            *error = failure;
        return nullptr;
    }
    return &m;
}

// The loaded library; set once the audio device is open, and only then used.
const Mixer *mix = nullptr;

// Loads the library and opens the audio device once, at the first use.
// Returns false (with the reason in *error) when no device can be had.
bool ensureAudio(QString *error) {
    static int state = 0; // 0 untried, 1 open, -1 failed
    static QString failure;
    if (state == 0) {
        const Mixer *loaded = mixer(&failure);
        mix = loaded;
        if (!loaded) {
            state = -1;
        } else if (mix->InitSubSystem(SDL_INIT_AUDIO) != 0) {
            failure = QString::fromUtf8(mix->GetError());
            state = -1;
        } else if (mix->OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 2048) != 0) {
            failure = QString::fromUtf8(mix->GetError());
            mix->QuitSubSystem(SDL_INIT_AUDIO);
            state = -1;
        } else {
            mix->Init(MIX_INIT_MP3);
            state = 1;
        }
        if (state < 0)
            mix = nullptr;
    }
    if (state < 0 && error)
        *error = failure;
    return state > 0;
}

class SdlSound : public ISound {
public:
    ~SdlSound() override { close(); }

    bool open(const QString &path, QString *error) override {
        close();
        // The player would wait forever on a FIFO or a device.
        if (RegularFile::kind(path) == RegularFile::Kind::Other) {
            if (error)
                *error = QStringLiteral("Nie można otworzyć pliku dźwiękowego: to nie jest "
                                        "zwykły plik.");
            return false;
        }
        if (!ensureAudio(error))
            return false;
        m_music = mix->LoadMUS(QFile::encodeName(path).constData());
        if (!m_music) {
            if (error)
                *error = QString::fromUtf8(mix->GetError());
            return false;
        }
        return true;
    }

    bool play(bool fromStart, QString *error) override {
        if (!m_music) {
            if (error)
                *error = QStringLiteral("Nie otwarto pliku dźwiękowego.");
            return false;
        }
        if (!fromStart && mix->PausedMusic() && mix->PlayingMusic()) {
            mix->ResumeMusic();
            return true;
        }
        if (mix->PlayMusic(m_music, 1) != 0) {
            if (error)
                *error = QString::fromUtf8(mix->GetError());
            return false;
        }
        return true;
    }

    void stop() override {
        // Stop keeps the position, as a player's Stop button does.
        if (m_music && mix->PlayingMusic())
            mix->PauseMusic();
    }

    void close() override {
        if (m_music) {
            mix->HaltMusic();
            mix->FreeMusic(m_music);
            m_music = nullptr;
        }
    }

    bool isOpen() const override { return m_music != nullptr; }

private:
    Mix_Music *m_music = nullptr;
};

class SdlBeep : public IBeep {
public:
    ~SdlBeep() override {
        if (m_chunk)
            mix->FreeChunk(m_chunk);
    }

    void exclamation() override {
        if (!ensureAudio(nullptr)) {
            QApplication::beep();
            return;
        }
        if (!m_chunk)
            m_chunk = makeChunk();
        if (!m_chunk || mix->PlayChannelTimed(-1, m_chunk, 0, -1) < 0)
            QApplication::beep();
    }

private:
    // A short two-tone chime of our own, made at the device's own format.
    Mix_Chunk *makeChunk() {
        int rate = 0, channels = 0;
        Uint16 format = 0;
        if (!mix->QuerySpec(&rate, &format, &channels) || format != AUDIO_S16SYS)
            return nullptr;
        const int frames = rate * 35 / 100;
        m_samples.assign(static_cast<size_t>(frames) * static_cast<size_t>(channels), 0);
        for (int i = 0; i < frames; ++i) {
            const double t = static_cast<double>(i) / rate;
            const double freq = i < frames / 2 ? 880.0 : 660.0;
            const double envelope = std::exp(-6.0 * t);
            const auto value =
                static_cast<Sint16>(9000.0 * envelope * std::sin(2 * M_PI * freq * t));
            for (int c = 0; c < channels; ++c)
                m_samples[static_cast<size_t>(i * channels + c)] = value;
        }
        return mix->QuickLoad_RAW(reinterpret_cast<Uint8 *>(m_samples.data()),
                                  static_cast<Uint32>(m_samples.size() * sizeof(Sint16)));
    }

    Mix_Chunk *m_chunk = nullptr;
    std::vector<Sint16> m_samples;
};

} // namespace

std::unique_ptr<ISound> createSystemSound() {
    return std::make_unique<SdlSound>();
}
std::unique_ptr<IBeep> createSystemBeep() {
    return std::make_unique<SdlBeep>();
}

} // namespace kv

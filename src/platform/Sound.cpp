#include "Sound.h"

#include <QApplication>
#include <QFile>
#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>
#include <cmath>
#include <vector>

namespace kv {

namespace {

// Opens the audio device once, at the first use. Returns false (with SDL's
// text in *error) when no device can be had.
bool ensureAudio(QString *error) {
    static int state = 0; // 0 untried, 1 open, -1 failed
    static QString failure;
    if (state == 0) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            failure = QString::fromUtf8(SDL_GetError());
            state = -1;
        } else if (Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 2048) != 0) {
            failure = QString::fromUtf8(Mix_GetError());
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            state = -1;
        } else {
            Mix_Init(MIX_INIT_MP3);
            state = 1;
        }
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
        if (!ensureAudio(error))
            return false;
        m_music = Mix_LoadMUS(QFile::encodeName(path).constData());
        if (!m_music) {
            if (error)
                *error = QString::fromUtf8(Mix_GetError());
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
        if (!fromStart && Mix_PausedMusic() && Mix_PlayingMusic()) {
            Mix_ResumeMusic();
            return true;
        }
        if (Mix_PlayMusic(m_music, 1) != 0) {
            if (error)
                *error = QString::fromUtf8(Mix_GetError());
            return false;
        }
        return true;
    }

    void stop() override {
        // Stop keeps the position, as a player's Stop button does.
        if (m_music && Mix_PlayingMusic())
            Mix_PauseMusic();
    }

    void close() override {
        if (m_music) {
            Mix_HaltMusic();
            Mix_FreeMusic(m_music);
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
            Mix_FreeChunk(m_chunk);
    }

    void exclamation() override {
        if (!ensureAudio(nullptr)) {
            QApplication::beep();
            return;
        }
        if (!m_chunk)
            m_chunk = makeChunk();
        if (!m_chunk || Mix_PlayChannel(-1, m_chunk, 0) < 0)
            QApplication::beep();
    }

private:
    // A short two-tone chime of our own, made at the device's own format.
    Mix_Chunk *makeChunk() {
        int rate = 0, channels = 0;
        Uint16 format = 0;
        if (!Mix_QuerySpec(&rate, &format, &channels) || format != AUDIO_S16SYS)
            return nullptr;
        const int frames = rate * 35 / 100;
        m_samples.assign(static_cast<size_t>(frames) * static_cast<size_t>(channels), 0);
        for (int i = 0; i < frames; ++i) {
            const double t = static_cast<double>(i) / rate;
            const double freq = i < frames / 2 ? 880.0 : 660.0;
            const double envelope = std::exp(-6.0 * t);
            const auto value = static_cast<Sint16>(9000.0 * envelope * std::sin(2 * M_PI * freq * t));
            for (int c = 0; c < channels; ++c)
                m_samples[static_cast<size_t>(i * channels + c)] = value;
        }
        return Mix_QuickLoad_RAW(reinterpret_cast<Uint8 *>(m_samples.data()),
                                 static_cast<Uint32>(m_samples.size() * sizeof(Sint16)));
    }

    Mix_Chunk *m_chunk = nullptr;
    std::vector<Sint16> m_samples;
};

} // namespace

std::unique_ptr<ISound> createSystemSound() { return std::make_unique<SdlSound>(); }
std::unique_ptr<IBeep> createSystemBeep() { return std::make_unique<SdlBeep>(); }

} // namespace kv

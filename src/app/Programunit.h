#pragma once
// The " &Program " tab: the program's four settings and the reminder sound.
// Each setting is written to the settings key when the user changes it; while
// the program runs, the controls themselves are the settings (until they are
// first shown, members that stand for them).

#include "appointments/Reminderengine.h"
#include "platform/Interfaces.h"
#include "platform/Registry.h"

#include <QWidget>
#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace kv {

class TAlertForm;

// The reminder sound's player: exactly a Play and a Stop button. It never
// enables itself and never rewinds by itself.
class MediaPlayer : public QWidget {
    Q_OBJECT
public:
    MediaPlayer(ISound &sound, QWidget *parent = nullptr);

    // Play from the current position, and stop.
    void Play();
    void Stop();

    QToolButton *PlayButton = nullptr;
    QToolButton *StopButton = nullptr;

signals:
    // The player's own error text.
    void failed(const QString &errorText);

private:
    ISound &m_sound;
};

class TProgramPage : public QWidget, public ReminderSettings {
    Q_OBJECT
public:
    TProgramPage(Platform &platform, RegKey settingsKey, TAlertForm &alert,
                 QWidget *parent = nullptr);

    // The controls are made when the page is first shown; until then the
    // settings are kept as they would stand in them.
    void ensureBuilt();
    void setVisible(bool visible) override;

    // Start-up: "Sound" (loading the file without playing, or unchecking the
    // sound box), then loadSlot1, then "Sound Alert", "Archive" and
    // "Sound Alert Time", each only when present.
    void ReadSettings(const std::function<void()> &loadSlot1);
    // Makes the file the reminder sound: shows its name, checks the sound box,
    // enables the player and opens the file (playing it from the start when
    // play is on). A failure is shown with the player's error text and leaves
    // the box unchecked, the name empty and the player disabled; "Sound" stays
    // stored. Returns whether the file was opened (and played).
    bool LoadSoundFile(const QString &path, bool play) override;

    // --- handlers (user actions only)
    void CheckBox1Click();  // signal box
    void CheckBox7Click();  // archive box
    void ComboBox3Change(); // duration field
    void CheckBox8Click();  // sound box
    void BitBtn3Click();    // "&Przeglądaj"
    void CheckBox9Click();  // desktop notification box

    // --- what the reminder engine reads
    bool signalEnabled() const override;
    QString durationText() const override;
    void setDurationText(const QString &text) override;
    bool archiveEnabled() const;
    // Whether a reminder also goes out as a desktop notification.
    bool desktopNotices() const;
    bool soundSettingExists() const override;
    QString soundSetting() const override;
    void stopSound() override;

    static QString fileNameOf(const QString &path);

    // --- controls
    QGroupBox *GroupBox1 = nullptr; // " Program "
    QCheckBox *CheckBox1 = nullptr; // signal box
    QLabel *Label19 = nullptr;      // "Czas trwania..."
    QComboBox *ComboBox3 = nullptr; // duration in seconds
    QLabel *Label3 = nullptr;       // "s."
    QCheckBox *CheckBox7 = nullptr; // archive box
    QCheckBox *CheckBox8 = nullptr; // sound box
    QLineEdit *Edit6 = nullptr;     // sound file name (display only)
    MediaPlayer *MediaPlayer1 = nullptr;
    QPushButton *BitBtn3 = nullptr; // "&Przeglądaj"
    QCheckBox *CheckBox9 = nullptr; // desktop notification box

signals:
    // The user toggled the archive box.
    void archiveBoxClicked(bool checked);

private:
    // Runs a settings write; a failure is reported and the program goes on.
    void write(const std::function<void()> &action);
    // The sound box, the file's name and the player.
    void showSound(bool box, const QString &name, bool player);

    Platform &m_platform;
    RegKey m_settingsKey;
    TAlertForm &m_alert;
    // The settings while the controls do not exist yet.
    bool m_signal = true;
    QString m_duration;
    bool m_archive = true;
    bool m_notices = true;
    bool m_soundBox = false;
    QString m_soundName;
    bool m_playerEnabled = false;
};

} // namespace kv

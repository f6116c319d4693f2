#pragma once
// The reminder scan: every minute each armed appointment is tested and a due
// one is shown in the reminder window, archived, moved on or removed.

#include "AppointmentStore.h"
#include "Remaindunit.h"
#include "platform/Interfaces.h"

namespace kv {

class TRemaindForm;
class TAlertForm;

enum class ArchiveOutcome { Stored, Full, WriteFailed };

// What the scan needs of the settings tab: the signal box, the duration
// field, the sound.
class ReminderSettings {
public:
    virtual ~ReminderSettings() = default;
    virtual bool signalEnabled() const = 0;
    virtual QString durationText() const = 0;
    virtual void setDurationText(const QString &text) = 0;
    virtual bool soundSettingExists() const = 0;
    virtual QString soundSetting() const = 0;
    // Opens the sound file, and plays it when asked; false when it failed.
    virtual bool LoadSoundFile(const QString &path, bool play) = 0;
    virtual void stopSound() = 0;
};

// What the scan needs of the appointment editor.
class ReminderEditor {
public:
    virtual ~ReminderEditor() = default;
    virtual void SelectSlot(int slot) = 0;
    virtual void LoadSlot() = 0;
    virtual void RefreshClock() = 0;
};

// What the scan needs of the main window's frame.
class ReminderHost {
public:
    virtual ~ReminderHost() = default;
    virtual void setBusyCursor(bool busy) = 0;
    virtual void setTrayIconVisible(bool visible) = 0;
    virtual void repaintMainWindow() = 0;
    virtual void setTrayItemsEnabled(bool enabled) = 0;
    virtual void setAddressEntryNumber(int entry) = 0;
    virtual void clearStatusLine() = 0;
    // The archive append of the program's one archive image.
    virtual ArchiveOutcome archiveAppend(const QString &dateText, const QString &message) = 0;
    // The reminder window opens with the message, and closes: the desktop is
    // told too (a notification shown and withdrawn).
    virtual void reminderShown(const QString &message) = 0;
    virtual void reminderClosed() = 0;
};

class ReminderEngine {
public:
    ReminderEngine(Platform &platform, Registry &registry, AppointmentStore &store,
                   DateTest dateTest, TRemaindForm &remaind, TAlertForm &alert, ReminderHost &host,
                   ReminderSettings &settings, ReminderEditor &editor);

    // The minute timer: the scan under its error guard, then the clock refresh.
    void Timer1Timer();
    // The scan itself.
    void Terminy();

    static QString monthName(int month);
    static QString archiveFullText() {
        return QStringLiteral("Archiwum zostało przeładowane. Wiadomość nie zostanie zapisana.");
    }

private:
    void fire(int slot, ReminderText text, const QString &dateBuffer, const QString &messageBuffer);
    void archive(const QString &dateBuffer, const QString &messageBuffer);
    void advanceSignal();

    Platform &m_platform;
    Registry &m_registry;
    AppointmentStore &m_store;
    DateTest m_dateTest;
    TRemaindForm &m_remaind;
    TAlertForm &m_alert;
    ReminderHost &m_host;
    ReminderSettings &m_settings;
    ReminderEditor &m_editor;
    bool m_scanning = false;
};

} // namespace kv

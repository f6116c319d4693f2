// The sync module: the settings window, the keyring, the timers and the
// engine. Loaded by the program when sync is first used, so that what sync
// needs comes with it and not with every start; the network and the keyring
// themselves are the network helper's (kelvadrin-dav).
#include "Discovery.h"
#include "Keyring.h"
#include "SyncEngine.h"
#include "SyncService.h"
#include "addressbook/AddressFile.h"
#include "platform/DateText.h"

#include <QComboBox>
#include <QDateTime>
#include <QDialog>
#include <QEvent>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <array>
#include <malloc.h>

namespace kv {
namespace {

constexpr int kPeriodMs = 5 * 60 * 1000;
constexpr int kAfterChangeMs = 5 * 1000;
constexpr int kLongestWaitMs = 60 * 60 * 1000;

// The settings window: server, user, password, the collections found, and
// the last sync.
class TSyncForm : public QDialog {
public:
    explicit TSyncForm(QWidget *parent) : QDialog(parent) {
        setWindowTitle(QStringLiteral("Synchronizacja"));
        auto *form = new QFormLayout;
        const auto field = [&](QWidget *w, const QString &label, const QString &name) {
            auto *l = new QLabel(label);
            l->setBuddy(w);
            w->setAccessibleName(name);
            form->addRow(l, w);
        };
        Server = new QLineEdit;
        Server->setPlaceholderText(QStringLiteral("https://serwer.pl/remote.php/dav"));
        field(Server, QStringLiteral("&Adres serwera:"), QStringLiteral("Adres serwera"));
        User = new QLineEdit;
        field(User, QStringLiteral("&Użytkownik:"), QStringLiteral("Użytkownik"));
        Password = new QLineEdit;
        Password->setEchoMode(QLineEdit::Password);
        field(Password, QStringLiteral("&Hasło:"), QStringLiteral("Hasło"));
        Connect = new QPushButton(QStringLiteral("&Połącz"));
        Connect->setAccessibleName(QStringLiteral("Połącz"));
        form->addRow(QString(), Connect);
        Calendar = new QComboBox;
        field(Calendar, QStringLiteral("&Kalendarz:"), QStringLiteral("Kalendarz"));
        Tasks = new QComboBox;
        field(Tasks, QStringLiteral("&Zadania:"), QStringLiteral("Kalendarz zadań"));
        Book = new QComboBox;
        field(Book, QStringLiteral("Książka &adresowa:"), QStringLiteral("Książka adresowa"));
        Last = new QLabel;
        Last->setWordWrap(true);
        Last->setAccessibleName(QStringLiteral("Ostatnia synchronizacja"));
        Last->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        Last->setMinimumWidth(420);
        // Shown while a sync runs.
        Busy = new QProgressBar;
        Busy->setRange(0, 0);
        Busy->setTextVisible(false);
        Busy->setAccessibleName(QStringLiteral("Synchronizacja w toku"));
        Busy->hide();
        SyncNow = new QPushButton(QStringLiteral("&Synchronizuj teraz"));
        SyncNow->setAccessibleName(QStringLiteral("Synchronizuj teraz"));
        auto *close = new QPushButton(QStringLiteral("Zam&knij"));
        close->setAccessibleName(QStringLiteral("Zamknij"));
        connect(close, &QPushButton::clicked, this, &QDialog::close);
        auto *buttons = new QHBoxLayout;
        buttons->addWidget(SyncNow);
        buttons->addStretch();
        buttons->addWidget(close);
        auto *all = new QVBoxLayout(this);
        all->addLayout(form);
        all->addWidget(Last);
        all->addWidget(Busy);
        all->addLayout(buttons);
    }
    QLineEdit *Server, *User, *Password;
    QPushButton *Connect, *SyncNow;
    QComboBox *Calendar, *Tasks, *Book;
    QLabel *Last;
    QProgressBar *Busy;
    // What the result label shows reaches a screen reader too.
    void setLast(const QString &text) {
        Last->setText(text);
        Last->setAccessibleDescription(text);
    }
};

class SyncController : public QObject, public SyncService {
public:
    explicit SyncController(const SyncHost &host)
        : m_host(host), m_local(*host.registry, host.folder, &host.platform->clock),
          m_key(host.registry->openKey(names::syncKey, true)) {
        m_timer.setSingleShot(true);
        connect(&m_timer, &QTimer::timeout, this, [this] { syncNow(false); });
        // The address book is replaced whole: its folder tells of a new file.
        m_watcher.addPath(host.folder);
        m_bookStamp = bookStamp();
        connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] {
            const QDateTime stamp = bookStamp();
            if (stamp != m_bookStamp) {
                m_bookStamp = stamp;
                localChanged();
            }
        });
        if (syncConfigured(*host.registry))
            readPassword([this] { schedule(2000); });
        if (m_host.window)
            m_host.window->installEventFilter(this);
    }

    // A question that waited for the user is asked when the window opens.
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (watched == m_host.window && event->type() == QEvent::Show && !m_guards.isEmpty())
            QTimer::singleShot(0, this, [this] { askGuards(); });
        return QObject::eventFilter(watched, event);
    }

    void showWindow() override {
        if (!m_form) {
            m_form = new TSyncForm(m_host.window);
            m_form->Server->setText(setting(names::syncServer));
            m_form->User->setText(setting(names::syncUser));
            m_form->Password->setText(m_password);
            for (auto [box, name, shown] : choices()) {
                box->addItem(QStringLiteral("(nie synchronizuj)"), QString());
                if (!setting(name).isEmpty()) {
                    const QString title = setting(shown);
                    box->addItem(title.isEmpty() ? setting(name) : title, setting(name));
                    box->setCurrentIndex(1);
                }
                connect(box, &QComboBox::activated, this, [this] { collectionsChosen(); });
            }
            connect(m_form->Connect, &QPushButton::clicked, this, [this] { connectServer(); });
            connect(m_form->SyncNow, &QPushButton::clicked, this, [this] { syncNow(true); });
            showLast();
        }
        m_form->show();
        m_form->raise();
        m_form->activateWindow();
    }

    void importEnded() override {
        if (m_engine)
            m_engine->resume();
    }

    void localChanged() override {
        if (m_engine && m_engine->settling())
            return;                // the sync's own writes
        m_passwordRefused = false; // a change asks for the password again
        // While failures wait their turn, a change does not hurry the next try.
        if (syncConfigured(*m_host.registry) && m_failures == 0 &&
            (!m_timer.isActive() || m_timer.remainingTime() > kAfterChangeMs))
            schedule(kAfterChangeMs);
    }

private:
    QString setting(const QString &name) const {
        return m_key.stringOrAbsent(name).value_or(QString());
    }
    QDateTime bookStamp() const {
        return QFileInfo(m_host.folder + QLatin1Char('/') + AddressFile::kFileName).lastModified();
    }
    QString account() const {
        return setting(names::syncUser) + QLatin1Char('@') +
               QUrl(setting(names::syncServer)).host();
    }

    void schedule(int ms) { m_timer.start(ms); }

    void readPassword(std::function<void()> then) {
        keyring::read(account(), this, [this, then](std::optional<QString> password) {
            if (password)
                m_password = *password;
            then();
        });
    }

    // Without a keyring it stays for this session only.
    void storePassword() { keyring::store(account(), m_password, this); }

    void connectServer() {
        QUrl server = QUrl::fromUserInput(m_form->Server->text().trimmed());
        if (!server.isValid() || server.host().isEmpty()) {
            m_form->setLast(
                QStringLiteral("Podaj adres serwera, np. https://serwer.pl/remote.php/dav."));
            return;
        }
        m_form->Connect->setEnabled(false);
        m_form->setLast(QStringLiteral("Łączenie z %1…").arg(server.host()));
        auto *discovery =
            new Discovery(server, m_form->User->text(), m_form->Password->text(), this);
        connect(discovery, &Discovery::finished, this, [=, this](const DiscoveryResult &r) {
            m_form->Connect->setEnabled(true);
            if (r.failure != SyncFailure::None) {
                m_form->setLast(
                    failureText(r.failure, server.host(), r.detail)
                        .replace(QStringLiteral("Synchronizacja"), QStringLiteral("Połączenie")));
                discovery->deleteLater();
                return;
            }
            const bool hasCalendar =
                std::any_of(r.calendars.cbegin(), r.calendars.cend(), [](const DavCollection &c) {
                    return c.components.isEmpty() ||
                           c.components.contains(QStringLiteral("VEVENT"));
                });
            // Asked only when the server has no calendar.
            const auto create = [this] {
                QMessageBox box(QMessageBox::Question, QStringLiteral("Synchronizacja"),
                                QStringLiteral("Na serwerze nie ma kalendarza. Utworzyć kalendarz "
                                               "„Kelvadrin”?"),
                                QMessageBox::Yes | QMessageBox::No, m_form);
                box.setDefaultButton(QMessageBox::Yes);
                return m_host.platform->modal.exec(&box) == QMessageBox::Yes;
            };
            if (!hasCalendar && create()) {
                connect(discovery, &Discovery::created, this,
                        [=, this](bool ok, const QString &text) {
                            found(server, discovery->result());
                            // The server's refusal stays in sight.
                            if (!ok)
                                m_form->setLast(text);
                            discovery->deleteLater();
                        });
                return discovery->create(true, QStringLiteral("Kelvadrin"));
            }
            found(server, r);
            discovery->deleteLater();
        });
        discovery->start();
    }

    // Fills the lists with what was found and keeps the choice.
    void found(const QUrl &server, const DiscoveryResult &r) {
        const auto fill = [](QComboBox *box, const QList<DavCollection> &list,
                             const QString &want) {
            box->clear();
            box->addItem(QStringLiteral("(nie synchronizuj)"), QString());
            int chosen = 0;
            for (const DavCollection &c : list) {
                box->addItem(c.name, c.url.toString());
                if (!chosen &&
                    (want.isEmpty() || c.components.isEmpty() || c.components.contains(want)))
                    chosen = box->count() - 1;
            }
            box->setCurrentIndex(chosen);
        };
        QList<DavCollection> calendars = r.calendars;
        std::stable_partition(calendars.begin(), calendars.end(), [](const DavCollection &c) {
            return c.name.compare(QStringLiteral("Kelvadrin"), Qt::CaseInsensitive) == 0;
        });
        fill(m_form->Calendar, calendars, QStringLiteral("VEVENT"));
        fill(m_form->Tasks, calendars, QStringLiteral("VTODO"));
        fill(m_form->Book, r.addressBooks, QString());
        m_password = m_form->Password->text();
        const bool newServer = setting(names::syncServer) != server.toString() ||
                               setting(names::syncUser) != m_form->User->text();
        if (newServer)
            stopRunning();
        m_host.registry->transaction([&] {
            m_key.writeString(names::syncServer, server.toString());
            m_key.writeString(names::syncUser, m_form->User->text());
        });
        storePassword();
        if (newServer)
            m_local.forget(); // what the old server's items were is no one's business now
        collectionsChosen();
        m_form->setLast(QStringLiteral("Połączono z %1: kalendarze – %2, książki adresowe – %3.")
                            .arg(server.host())
                            .arg(r.calendars.size())
                            .arg(r.addressBooks.size()));
    }

    // Each list of the window, the setting of its collection and of that
    // collection's display name.
    std::array<std::tuple<QComboBox *, QString, QString>, 3> choices() const {
        return {{{m_form->Calendar, names::syncCalendar, names::syncCalendarName},
                 {m_form->Tasks, names::syncTaskList, names::syncTaskListName},
                 {m_form->Book, names::syncAddressBook, names::syncAddressBookName}}};
    }

    // Another collection: a sync running for the old one ends without
    // storing its results, and the new one starts from a first sync (the
    // state of each kind belongs to its collection).
    void collectionsChosen() {
        bool changed = false;
        for (auto [box, name, shown] : choices())
            changed |= setting(name) != box->currentData().toString();
        if (changed)
            stopRunning();
        m_host.registry->transaction([&] {
            for (auto [box, name, shown] : choices()) {
                m_key.writeString(name, box->currentData().toString());
                m_key.writeString(shown, box->currentIndex() > 0 ? box->currentText() : QString());
            }
        });
        if (changed) {
            m_guards.clear();
            m_paused.clear();
            note(QString());
        }
    }

    void stopRunning() {
        if (m_engine && m_engine->running()) {
            m_engine->abort();
            running(false);
        }
    }

    void note(const QString &text) {
        if (m_host.setTrayNote)
            m_host.setTrayNote(text);
    }

    void running(bool on) {
        if (!m_form)
            return;
        m_form->Busy->setVisible(on);
        if (on)
            m_form->setLast(QStringLiteral("Synchronizacja w toku…"));
    }

    QString collectionName(SyncKind kind) const {
        const auto [url, shown] =
            kind == SyncKind::Contacts
                ? std::pair{names::syncAddressBook, names::syncAddressBookName}
            : kind == SyncKind::Tasks && !setting(names::syncTaskList).isEmpty()
                ? std::pair{names::syncTaskList, names::syncTaskListName}
                : std::pair{names::syncCalendar, names::syncCalendarName};
        const QString title = setting(shown);
        return title.isEmpty() ? setting(url) : title;
    }

    // Each held kind: one question, three answers. Asked only while the
    // main window is open; until then the tray icon tells of it and no
    // sync runs.
    void askGuards() {
        if (m_guards.isEmpty() || m_askingGuard)
            return;
        if (!m_host.window || !m_host.window->isVisible() || !m_host.platform) {
            note(QStringLiteral("Synchronizacja czeka na Twoją decyzję: otwórz okno programu."));
            return;
        }
        m_askingGuard = true;
        QMap<SyncKind, GuardAnswer> answers;
        for (const SyncGuard &g : std::as_const(m_guards)) {
            const QString where = collectionName(g.kind);
            QString text, keep, drop;
            switch (g.which) {
            case GuardCase::ServerEmptied:
                text = QStringLiteral("Na serwerze, w zbiorze „%1”, nie ma już żadnego z %2 %3, "
                                      "które były tam przy ostatniej synchronizacji. Na tym "
                                      "komputerze niczego jeszcze nie usunięto.")
                           .arg(where)
                           .arg(g.known)
                           .arg(kindItems(g.kind));
                keep = QStringLiteral("&Zachowaj tutaj i wyślij ponownie");
                drop = QStringLiteral("&Usuń także tutaj");
                break;
            case GuardCase::HereEmptied:
                text = QStringLiteral("Na tym komputerze nie ma już żadnego z %1 %2, które są na "
                                      "serwerze w zbiorze „%3”. Na serwerze niczego jeszcze nie "
                                      "usunięto.")
                           .arg(g.known)
                           .arg(kindItems(g.kind))
                           .arg(where);
                keep = QStringLiteral("&Przywróć je tutaj z serwera");
                drop = QStringLiteral("&Usuń także na serwerze");
                break;
            case GuardCase::MostGone:
                text = QStringLiteral("Synchronizacja ze zbiorem „%1” usunęłaby %2 z %3 %4 (tutaj "
                                      "– %5, na serwerze – %6). Niczego jeszcze nie usunięto.")
                           .arg(where)
                           .arg(g.deleteHere + g.deleteThere)
                           .arg(g.known)
                           .arg(kindItems(g.kind))
                           .arg(g.deleteHere)
                           .arg(g.deleteThere);
                keep = QStringLiteral("&Zachowaj je po obu stronach");
                drop = QStringLiteral("&Usuń je");
                break;
            }
            QMessageBox box(QMessageBox::Warning, QStringLiteral("Synchronizacja"), text,
                            QMessageBox::NoButton, m_host.window);
            QPushButton *keepButton = box.addButton(keep, QMessageBox::AcceptRole);
            QPushButton *dropButton = box.addButton(drop, QMessageBox::DestructiveRole);
            QPushButton *pauseButton =
                box.addButton(QStringLiteral("&Wstrzymaj synchronizację %1").arg(kindItems(g.kind)),
                              QMessageBox::RejectRole);
            box.setDefaultButton(keepButton);
            box.setEscapeButton(pauseButton);
            m_host.platform->modal.exec(&box);
            if (box.clickedButton() == keepButton)
                answers[g.kind] = GuardAnswer::Restore;
            else if (box.clickedButton() == dropButton)
                answers[g.kind] = GuardAnswer::Propagate;
            else if (box.clickedButton() == pauseButton)
                m_paused.insert(g.kind);
            else
                answers[g.kind] = GuardAnswer::Ask; // not answered: asked again
        }
        m_askingGuard = false;
        QList<SyncGuard> unanswered;
        for (const SyncGuard &g : std::as_const(m_guards))
            if (answers.value(g.kind) == GuardAnswer::Ask && !m_paused.contains(g.kind))
                unanswered << g;
        answers.removeIf([](auto it) { return it.value() == GuardAnswer::Ask; });
        m_guards = unanswered;
        if (!m_guards.isEmpty())
            return;
        note(QString());
        m_answers = answers;
        syncNow(true);
    }

    void syncNow(bool asked) {
        if (m_engine && m_engine->running()) {
            m_changedMeanwhile = true; // another sync right after this one
            return;
        }
        m_changedMeanwhile = false;
        if (!syncConfigured(*m_host.registry))
            return;
        // A plan held for the user: nothing runs until the answer.
        if (!m_guards.isEmpty()) {
            if (asked)
                askGuards();
            return;
        }
        if (asked)
            m_passwordRefused = false;
        if (m_password.isEmpty()) {
            // No keyring: asked once in a session; after "Anuluj" only when
            // the user syncs or changes something.
            if (m_asking || m_passwordRefused || !m_host.platform)
                return;
            m_asking = true;
            m_host.platform->passwordQuestion.ask(
                QStringLiteral("Synchronizacja"),
                QStringLiteral("Hasło użytkownika %1 na serwerze %2:")
                    .arg(setting(names::syncUser), QUrl(setting(names::syncServer)).host()),
                this, [this, asked](const IPasswordQuestion::Answer &answer) {
                    m_asking = false;
                    if (answer.kind == IPasswordQuestion::Answer::Given) {
                        m_password = answer.password;
                        note(QString());
                        syncNow(asked);
                        return;
                    }
                    m_passwordRefused = true;
                    const QString waits =
                        answer.kind == IPasswordQuestion::Answer::Cancelled
                            ? QStringLiteral("Synchronizacja czeka na hasło: wybierz "
                                             "„Synchronizuj teraz” w oknie synchronizacji.")
                            : QStringLiteral("Synchronizacja czeka na hasło: nie można "
                                             "uruchomić modułu programu (%1).")
                                  .arg(QLatin1String(IPasswordQuestion::Helper));
                    note(waits);
                    if (m_host.showStatus)
                        m_host.showStatus(waits, false);
                    if (m_form)
                        m_form->setLast(waits);
                });
            return;
        }
        SyncSettings s;
        s.calendar = QUrl(setting(names::syncCalendar));
        s.taskList = QUrl(setting(names::syncTaskList));
        s.addressBook = QUrl(setting(names::syncAddressBook));
        s.user = setting(names::syncUser);
        s.server = setting(names::syncServer);
        s.password = m_password;
        s.answers = std::exchange(m_answers, {});
        s.paused = m_paused;
        if (s.calendar.isEmpty() && s.taskList.isEmpty() && s.addressBook.isEmpty())
            return;
        // The last engine may be the one whose report led here (its answer
        // asked from its own signal): it goes once control is back.
        if (m_engine)
            m_engine->deleteLater();
        m_engine = new SyncEngine(m_local, s, this);
        m_engine->mayWrite = [this] { return !m_host.importing || !m_host.importing(); };
        connect(m_engine, &SyncEngine::storesChanged, this, [this] {
            m_bookStamp = bookStamp();
            if (m_host.storesChanged)
                m_host.storesChanged();
        });
        connect(m_engine, &SyncEngine::finished, this, [this, asked](const SyncReport &r) {
            running(false);
            // What the sync freed (its connections, the items read) goes back
            // to the system once they are deleted: the program idles small.
            QTimer::singleShot(1000, this, [] { malloc_trim(0); });
            const QString text = r.text();
            const QDateTime now = m_host.platform->clock.now();
            m_key.writeString(names::syncLastTime,
                              now.toString(QStringLiteral("yyyy-MM-dd HH:mm")));
            m_key.writeString(names::syncLastResult, text);
            // Deletions and a held plan are not shown as a plain success.
            if (m_host.showStatus && (asked || !r.unchanged()))
                m_host.showStatus(text, r.ok() && !r.deleted() && r.guards.isEmpty());
            if (!r.guards.isEmpty()) {
                m_guards = r.guards;
                showLast();
                // No timed sync until the answer, asked once the engine is
                // out of its own call.
                QTimer::singleShot(0, this, [this] { askGuards(); });
                return;
            }
            if (r.failure == SyncFailure::Unauthorized)
                m_password.clear(); // asked again at the next try
            m_failures = r.ok() ? 0 : m_failures + 1;
            // After a failure: 1, 2, 4 ... minutes, at most an hour.
            schedule(r.ok() ? (m_changedMeanwhile ? kAfterChangeMs : kPeriodMs)
                            : std::min(kLongestWaitMs, 60 * 1000 << std::min(m_failures - 1, 6)));
            showLast();
        });
        running(true);
        m_engine->start();
    }

    void showLast() {
        if (!m_form)
            return;
        // As the program writes dates: "9 grudnia 2026, 04:59".
        const QDateTime when =
            QDateTime::fromString(setting(names::syncLastTime), QStringLiteral("yyyy-MM-dd HH:mm"));
        m_form->setLast(!when.isValid()
                            ? QStringLiteral("Ostatnia synchronizacja: jeszcze nie było.")
                            : QStringLiteral("Ostatnia synchronizacja: %1, %2. %3")
                                  .arg(dateInWords(storedDate(when.date())),
                                       when.time().toString(QStringLiteral("HH:mm")),
                                       setting(names::syncLastResult)));
    }

    SyncHost m_host;
    SyncLocal m_local;
    RegKey m_key;
    QString m_password;
    QTimer m_timer;
    QFileSystemWatcher m_watcher;
    QDateTime m_bookStamp;
    SyncEngine *m_engine = nullptr;
    TSyncForm *m_form = nullptr;
    int m_failures = 0;
    bool m_asking = false;
    bool m_askingGuard = false;
    bool m_passwordRefused = false;
    QList<SyncGuard> m_guards;             // held plans waiting for the user
    QMap<SyncKind, GuardAnswer> m_answers; // for the next sync only
    QSet<SyncKind> m_paused;               // left out for this session
    bool m_changedMeanwhile = false;
};

} // namespace
} // namespace kv

KV_MODULE_ENTRY kelvadrin_module() {
    static const kv::SyncModule table{
        {kv::SyncModule::Interface, kv::SyncModule::Version},
        [](const kv::SyncHost &host) -> kv::SyncService * {
            try {
                return new kv::SyncController(host);
            } catch (const std::exception &) {
                return nullptr;
            }
        },
    };
    return &table.header;
}

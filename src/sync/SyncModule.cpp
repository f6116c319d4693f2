// The sync module: the settings window, the keyring, the timers and the
// engine. Loaded by the program when sync is first used, so that Qt Network
// and the keyring come with it and not with every start.
#include "Discovery.h"
#include "SyncEngine.h"
#include "SyncService.h"
#include "addressbook/AddressFile.h"

#include <QComboBox>
#include <QDateTime>
#include <QDialog>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <qt6keychain/keychain.h>

namespace kv {
namespace {

constexpr int kPeriodMs = 5 * 60 * 1000;
constexpr int kAfterChangeMs = 5 * 1000;
constexpr int kLongestWaitMs = 60 * 60 * 1000;
const QString kService = QStringLiteral("Kelvadrin");

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
        all->addLayout(buttons);
    }
    QLineEdit *Server, *User, *Password;
    QPushButton *Connect, *SyncNow;
    QComboBox *Calendar, *Tasks, *Book;
    QLabel *Last;
};

class SyncController : public QObject, public SyncService {
public:
    explicit SyncController(const SyncHost &host)
        : m_host(host), m_local(*host.registry, host.folder),
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
    }

    void showWindow() override {
        if (!m_form) {
            m_form = new TSyncForm(m_host.window);
            m_form->Server->setText(setting(names::syncServer));
            m_form->User->setText(setting(names::syncUser));
            m_form->Password->setText(m_password);
            for (auto [box, name] : {std::pair{m_form->Calendar, names::syncCalendar},
                                     {m_form->Tasks, names::syncTaskList},
                                     {m_form->Book, names::syncAddressBook}}) {
                box->addItem(QStringLiteral("(nie synchronizuj)"), QString());
                if (!setting(name).isEmpty()) {
                    box->addItem(setting(name), setting(name));
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

    void localChanged() override {
        if (m_engine && m_engine->settling())
            return; // the sync's own writes
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
        auto *job = new QKeychain::ReadPasswordJob(kService, this);
        job->setKey(account());
        connect(job, &QKeychain::Job::finished, this, [this, job, then] {
            if (job->error() == QKeychain::NoError)
                m_password = job->textData();
            then();
        });
        job->start();
    }

    void storePassword() {
        auto *job = new QKeychain::WritePasswordJob(kService, this);
        job->setKey(account());
        job->setTextData(m_password);
        job->start(); // without a keyring it stays for this session only
    }

    void connectServer() {
        QUrl server = QUrl::fromUserInput(m_form->Server->text().trimmed());
        if (!server.isValid() || server.host().isEmpty()) {
            m_form->Last->setText(
                QStringLiteral("Podaj adres serwera, np. https://serwer.pl/remote.php/dav."));
            return;
        }
        m_form->Connect->setEnabled(false);
        m_form->Last->setText(QStringLiteral("Łączenie z %1…").arg(server.host()));
        auto *discovery =
            new Discovery(server, m_form->User->text(), m_form->Password->text(), this);
        connect(discovery, &Discovery::finished, this, [=, this](const DiscoveryResult &r) {
            m_form->Connect->setEnabled(true);
            if (r.failure != SyncFailure::None) {
                m_form->Last->setText(
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
            if (!hasCalendar &&
                QMessageBox::question(
                    m_form, QStringLiteral("Synchronizacja"),
                    QStringLiteral(
                        "Na serwerze nie ma kalendarza. Utworzyć kalendarz „Kelvadrin”?"),
                    QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes) {
                connect(discovery, &Discovery::created, this,
                        [=, this](bool ok, const QString &text) {
                            if (!ok)
                                m_form->Last->setText(text);
                            found(server, discovery->result());
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
        m_host.registry->transaction([&] {
            m_key.writeString(names::syncServer, server.toString());
            m_key.writeString(names::syncUser, m_form->User->text());
        });
        storePassword();
        if (newServer)
            m_local.forget();
        collectionsChosen();
        m_form->Last->setText(
            QStringLiteral("Połączono z %1: kalendarze – %2, książki adresowe – %3.")
                .arg(server.host())
                .arg(r.calendars.size())
                .arg(r.addressBooks.size()));
    }

    void collectionsChosen() {
        bool changed = false;
        m_host.registry->transaction([&] {
            for (auto [box, name] : {std::pair{m_form->Calendar, names::syncCalendar},
                                     {m_form->Tasks, names::syncTaskList},
                                     {m_form->Book, names::syncAddressBook}}) {
                const QString url = box->currentData().toString();
                changed |= setting(name) != url;
                m_key.writeString(name, url);
            }
        });
        // Other collections: what both sides knew no longer holds.
        if (changed)
            m_local.forget();
    }

    void syncNow(bool asked) {
        if (m_engine && m_engine->running()) {
            m_changedMeanwhile = true; // another sync right after this one
            return;
        }
        m_changedMeanwhile = false;
        if (!syncConfigured(*m_host.registry))
            return;
        if (m_password.isEmpty()) {
            // No keyring: asked once in a session.
            if (m_asking)
                return;
            m_asking = true;
            bool ok = false;
            const QString pw = QInputDialog::getText(
                m_host.window, QStringLiteral("Synchronizacja"),
                QStringLiteral("Hasło użytkownika %1 na serwerze %2:")
                    .arg(setting(names::syncUser), QUrl(setting(names::syncServer)).host()),
                QLineEdit::Password, QString(), &ok);
            m_asking = false;
            if (!ok || pw.isEmpty())
                return;
            m_password = pw;
        }
        SyncSettings s;
        s.calendar = QUrl(setting(names::syncCalendar));
        s.taskList = QUrl(setting(names::syncTaskList));
        s.addressBook = QUrl(setting(names::syncAddressBook));
        s.user = setting(names::syncUser);
        s.password = m_password;
        if (s.calendar.isEmpty() && s.taskList.isEmpty() && s.addressBook.isEmpty())
            return;
        delete m_engine;
        m_engine = new SyncEngine(m_local, s, this);
        connect(m_engine, &SyncEngine::storesChanged, this, [this] {
            m_bookStamp = bookStamp();
            if (m_host.storesChanged)
                m_host.storesChanged();
        });
        connect(m_engine, &SyncEngine::finished, this, [this, asked](const SyncReport &r) {
            const QString text = r.text();
            m_key.writeString(names::syncLastTime, QDateTime::currentDateTime().toString(
                                                       QStringLiteral("yyyy-MM-dd HH:mm")));
            m_key.writeString(names::syncLastResult, text);
            if (m_host.showStatus &&
                (asked || !r.ok() ||
                 text != QStringLiteral("Synchronizacja zakończona: bez zmian.")))
                m_host.showStatus(text, r.ok());
            if (r.failure == SyncFailure::Unauthorized)
                m_password.clear(); // asked again at the next try
            m_failures = r.ok() ? 0 : m_failures + 1;
            // After a failure: 1, 2, 4 ... minutes, at most an hour.
            schedule(r.ok() ? (m_changedMeanwhile ? kAfterChangeMs : kPeriodMs)
                            : std::min(kLongestWaitMs, 60 * 1000 << std::min(m_failures - 1, 6)));
            showLast();
        });
        if (m_form)
            m_form->Last->setText(QStringLiteral("Synchronizacja…"));
        m_engine->start();
    }

    void showLast() {
        if (!m_form)
            return;
        const QString when = setting(names::syncLastTime);
        m_form->Last->setText(when.isEmpty()
                                  ? QStringLiteral("Ostatnia synchronizacja: jeszcze nie było.")
                                  : QStringLiteral("Ostatnia synchronizacja: %1. %2")
                                        .arg(when, setting(names::syncLastResult)));
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
    bool m_changedMeanwhile = false;
};

} // namespace
} // namespace kv

extern "C" __attribute__((visibility("default"))) kv::SyncService *
kelvadrin_sync_start(const kv::SyncHost &host) {
    try {
        return new kv::SyncController(host);
    } catch (const std::exception &) {
        return nullptr;
    }
}

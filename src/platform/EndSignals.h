#pragma once
#include <QObject>

class QSocketNotifier;

namespace kv {

// Ends the program on SIGTERM, SIGINT and SIGHUP (a logout, `kill`, a closed
// terminal) through the event loop: the handler only writes a byte into a
// pipe, and the loop hears of it and emits received(). One per process.
class EndSignals : public QObject {
    Q_OBJECT
public:
    explicit EndSignals(QObject *parent = nullptr);
    ~EndSignals() override;

signals:
    void received(int signal);

private:
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace kv

// Every window as a screen reader and the keyboard meet it: each control one
// can focus or click has a name of its own, and Tab and Shift+Tab go round
// all of a window's buttons in reading order.

#include "addressbook/Addresspage.h"
#include "addressbook/Printunit.h"
#include "app/Firststartunit.h"
#include "appointments/Calendarunit.h"
#include "appointments/Remaindunit.h"
#include "appointments/Tasklistunit.h"
#include "common/AppFixture.h"
#include "info/Aboutunit.h"
#include "info/Alertunit.h"
#include "info/Askalertunit.h"
#include "info/Helpunit.h"
#include "info/Quickhelpunit.h"
#include "info/Resolutionalertunit.h"
#include "tasks/Deletetaskunit.h"
#include "tasks/Taskspage.h"
#include "widgets/ClickLabel.h"
#include "widgets/HotImage.h"
#include "widgets/SidePicture.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAccessible>
#include <QButtonGroup>
#include <QGroupBox>
#include <QtTest>

using namespace kv;
using test::AppFixture;

namespace {

template <typename T> QWidget *built(T *window) {
    window->ensureBuilt();
    return window;
}

QWidget *mainTab(AppFixture &app, int tab) {
    app.main()->selectTab(tab);
    return app.main();
}

// Every window of the program, with all its contents built.
using Opener = std::function<QWidget *(AppFixture &)>;
const QList<QPair<const char *, Opener>> &windows() {
    static const QList<QPair<const char *, Opener>> list = {
        {"Terminy", [](AppFixture &a) { return mainTab(a, 0); }},
        {"Baza teleadresowa", [](AppFixture &a) { return mainTab(a, 1); }},
        {"Zadania", [](AppFixture &a) { return mainTab(a, 2); }},
        {"Archiwum", [](AppFixture &a) { return mainTab(a, 3); }},
        {"Program", [](AppFixture &a) { return mainTab(a, 4); }},
        {"Pierwsze uruchomienie", [](AppFixture &a) { return built(a.program->firstStartForm()); }},
        {"Błąd", [](AppFixture &a) { return built(a.forms().alert); }},
        {"Pytanie", [](AppFixture &a) { return built(a.forms().askAlert); }},
        {"Przypomnienie", [](AppFixture &a) { return built(a.forms().remaind); }},
        {"Kalendarz", [](AppFixture &a) -> QWidget * { return a.forms().calendar; }},
        {"Lista terminów", [](AppFixture &a) -> QWidget * { return a.forms().taskList; }},
        {"Wydruk adresu",
         [](AppFixture &a) -> QWidget * { return a.main()->addressPage()->printForm(); }},
        {"Usuń zadanie",
         [](AppFixture &a) -> QWidget * { return a.main()->tasksPage()->deleteForm(); }},
        {"Pomoc", [](AppFixture &a) { return built(a.forms().help.get()); }},
        {"O programie", [](AppFixture &a) { return built(a.forms().about.get()); }},
        {"Szybka pomoc", [](AppFixture &a) { return built(a.forms().quickHelp); }},
        {"Rozdzielczość", [](AppFixture &a) -> QWidget * { return a.forms().resolutionAlert; }},
    };
    return list;
}

QString withoutAmpersand(QString text) {
    return text.remove(QRegularExpression(QStringLiteral("&(?!&)"))).trimmed();
}

// The control as a failure message names it.
QString describe(QWidget *w) {
    const QPoint at = w->mapTo(w->window(), QPoint());
    QString text = QStringLiteral("%1 \"%2\" at %3,%4")
                       .arg(QString::fromLatin1(w->metaObject()->className()), w->objectName())
                       .arg(at.x())
                       .arg(at.y());
    if (auto *button = qobject_cast<QAbstractButton *>(w); button && !button->text().isEmpty())
        text += QStringLiteral(" (") + button->text() + QLatin1Char(')');
    return text;
}

QStringList described(const QList<QWidget *> &widgets) {
    QStringList texts;
    std::transform(widgets.begin(), widgets.end(), std::back_inserter(texts), describe);
    return texts;
}

// The window's own controls; Qt names the parts it makes inside its controls
// (a table's corner button, the menu bar's extension).
QList<QWidget *> controls(QWidget *window) {
    QList<QWidget *> list;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        bool own = w->window() == window && !w->objectName().startsWith(QLatin1String("qt_"));
        for (QWidget *p = w->parentWidget(); own && p != window; p = p->parentWidget())
            own = !qobject_cast<QAbstractScrollArea *>(p);
        if (own)
            list << w;
    }
    return list;
}

bool clickable(const QWidget *w) {
    return qobject_cast<const QAbstractButton *>(w) || qobject_cast<const ClickLabel *>(w) ||
           qobject_cast<const HotImage *>(w) || qobject_cast<const SidePicture *>(w);
}

// The tab stops met following the focus chain from the window round to it,
// as Qt's own Tab handling chooses them.
QList<QWidget *> chain(QWidget *window, bool forward) {
    QList<QWidget *> stops;
    QWidget *w = window;
    for (int guard = 0; guard < 10000; ++guard) {
        w = forward ? w->nextInFocusChain() : w->previousInFocusChain();
        if (w == window)
            return stops;
        if (w->window() == window && (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy() &&
            w->isEnabled() && w->isVisibleTo(window))
            stops << w;
    }
    return {}; // not a cycle
}

// The buttons the keyboard misses when it meets `met`. Of buttons that
// exclude each other Tab stops at one, and the arrow keys go on from it.
QString buttonsMissed(QWidget *window, const QList<QWidget *> &met) {
    QStringList missed;
    for (QWidget *w : controls(window)) {
        auto *button = qobject_cast<QAbstractButton *>(w);
        if (!button || !button->isVisibleTo(window) || !button->isEnabled())
            continue;
        QList<QAbstractButton *> group{button};
        if (button->group() && button->group()->exclusive())
            group = button->group()->buttons();
        else if (button->autoExclusive())
            for (auto *b : button->parentWidget()->findChildren<QAbstractButton *>(
                     Qt::FindDirectChildrenOnly))
                if (b->autoExclusive() && !b->group())
                    group << b;
        if (std::none_of(group.begin(), group.end(),
                         [&](QAbstractButton *b) { return met.contains(b); }))
            missed << describe(button);
    }
    return missed.isEmpty() ? QString()
                            : QStringLiteral("out of reach: ") + missed.join(QStringLiteral("; "));
}

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT

    std::unique_ptr<AppFixture> m_app;
    QWidget *m_window = nullptr;

private slots:
    void init() {
        m_app = std::make_unique<AppFixture>();
        QCOMPARE(m_app->start(), -1);
        QFETCH(int, window);
        m_window = windows().at(window).second(*m_app);
        QVERIFY(m_window);
    }
    void cleanup() { m_app.reset(); }

    // What a screen reader says for each control one can focus or click: a
    // name of its own, not the title of the group box around it (Qt's
    // fallback for a control without text).
    void everyControlHasItsName_data() { windowRows(); }
    void everyControlHasItsName() {
        QStringList nameless;
        for (QWidget *w : controls(m_window)) {
            if (w->focusProxy() || (w->focusPolicy() == Qt::NoFocus && !clickable(w)))
                continue;
            QAccessibleInterface *face = QAccessible::queryAccessibleInterface(w);
            QVERIFY(face);
            const QString name = withoutAmpersand(face->text(QAccessible::Name));
            bool boxTitle = false;
            for (QWidget *p = w->parentWidget(); p != m_window; p = p->parentWidget())
                if (auto *box = qobject_cast<QGroupBox *>(p))
                    boxTitle = boxTitle || name == withoutAmpersand(box->title());
            if (name.isEmpty() || boxTitle)
                nameless << describe(w) + QStringLiteral(" named \"%1\"").arg(name);
        }
        QVERIFY2(nameless.isEmpty(), qPrintable(nameless.join(QStringLiteral("; "))));
    }

    // The focus chain holds every button, in reading order: the rows from the
    // top, the columns of a row from the left, so that no step but the one
    // from the last control back to the first goes both up and to the left.
    void tabChainHoldsEveryButton_data() { windowRows(); }
    void tabChainHoldsEveryButton() {
        const QList<QWidget *> forward = chain(m_window, true);
        QVERIFY(!forward.isEmpty());
        const QString missed = buttonsMissed(m_window, forward);
        QVERIFY2(missed.isEmpty(), qPrintable(missed));
        const auto centre = [this](QWidget *w) { return w->mapTo(m_window, w->rect().center()); };
        for (qsizetype i = 1; i < forward.size(); ++i) {
            const QPoint from = centre(forward[i - 1]), to = centre(forward[i]);
            QVERIFY2(to.y() >= from.y() || to.x() >= from.x(),
                     qPrintable(describe(forward[i - 1]) + QStringLiteral(" goes back to ") +
                                describe(forward[i])));
        }
        QList<QWidget *> backward = chain(m_window, false);
        std::reverse(backward.begin(), backward.end());
        QCOMPARE(described(backward), described(forward));
    }

    // On the shown window Tab goes round all the buttons back to where it
    // began, and Shift+Tab goes the same way back.
    void keyboardGoesRound_data() { windowRows(); }
    void keyboardGoesRound() {
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window));
        QWidget *start = chain(m_window, true).value(0);
        QVERIFY(start);
        start->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), start);
        QList<QWidget *> ahead;
        while (ahead.size() < 200 && (ahead.isEmpty() || ahead.last() != start)) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            ahead << QApplication::focusWidget();
        }
        QVERIFY2(ahead.last() == start,
                 qPrintable(QStringLiteral("Tab stays in ") + describe(ahead.last())));
        const QString missed = buttonsMissed(m_window, ahead);
        QVERIFY2(missed.isEmpty(), qPrintable(missed));
        QList<QWidget *> back;
        for (qsizetype i = 0; i < ahead.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
            back << QApplication::focusWidget();
        }
        QList<QWidget *> expected(ahead.rbegin() + 1, ahead.rend());
        expected << start;
        QCOMPARE(described(back), described(expected));
    }

private:
    static void windowRows() {
        QTest::addColumn<int>("window");
        for (int i = 0; i < windows().size(); ++i)
            QTest::newRow(windows().at(i).first) << i;
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"

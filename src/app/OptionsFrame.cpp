#include "Optionsunit.h"
#include "Programunit.h"

#include "addressbook/Addresspage.h"
#include "appointments/Appointmenttransfer.h"
#include "info/Quickhelpunit.h"
#include "platform/RegistryNames.h"
#include "platform/SessionBus.h"
#include "platform/SystemPlatform.h"
#include "platform/Tray.h"
#include "widgets/JpegImage.h"
#include "widgets/PngImage.h"
#include "widgets/SidePicture.h"
#include "widgets/WindowUtil.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QTabBar>

// The main window's frame: the menus, the notification icon and its menu,
// the tabs, the left strip and the status line.

namespace kv {

namespace {
constexpr int kClientWidth = 761;
constexpr int kClientHeight = 576;

QLabel *sunkenPanel(QWidget *parent) {
    auto *panel = new QLabel(parent);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    return panel;
}
} // namespace

void TOptionsForm::buildMenus() {
    QMenu *file = menuBar()->addMenu(QStringLiteral("&Plik"));
    QMenu *appointments = file->addMenu(QStringLiteral("Terminy"));
    M_ImportAppointments = appointments->addAction(QStringLiteral("Importuj..."));
    M_ExportAppointments = appointments->addAction(QStringLiteral("Eksportuj..."));
    QMenu *addresses = file->addMenu(QStringLiteral("Baza teleadresowa"));
    M_ImportAddresses = addresses->addAction(QStringLiteral("Importuj..."));
    M_ExportAddresses = addresses->addAction(QStringLiteral("Eksportuj..."));
    QMenu *program = menuBar()->addMenu(QStringLiteral("P&rogram"));
    M_Sync = program->addAction(QStringLiteral("Synchronizacja..."));
    program->addSeparator();
    M_End = program->addAction(QStringLiteral("Koniec"));
    connect(M_Sync, &QAction::triggered, this, &TOptionsForm::OpenSync);
    QMenu *help = menuBar()->addMenu(QStringLiteral("P&omoc"));
    M_About = help->addAction(QStringLiteral("O programie"));
    M_Help = help->addAction(QStringLiteral("Pomoc"));
    connect(M_End, &QAction::triggered, this, &TOptionsForm::EndProgram);
    connect(M_About, &QAction::triggered, this, [this] { showAbout(true); });
    connect(M_Help, &QAction::triggered, this, [this] { showHelp(false); });
    connect(M_ImportAppointments, &QAction::triggered, this,
            [this] { runImport([this] { m_transfer->importFromMenu(); }); });
    connect(M_ExportAppointments, &QAction::triggered, this,
            [this] { m_transfer->exportAppointments(); });
    connect(M_ImportAddresses, &QAction::triggered, this,
            [this] { runImport([this] { addressPage()->ImportAddressBook(); }); });
    connect(M_ExportAddresses, &QAction::triggered, this,
            [this] { addressPage()->ExportAddressBook(); });

    auto *f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    f1->setContext(Qt::WindowShortcut);
    connect(f1, &QShortcut::activated, this, [this] { showHelp(false); });
}

void TOptionsForm::buildTray() {
    PopupMenu1 = new QMenu(this);
    N_Settings = PopupMenu1->addAction(QStringLiteral("Ustawienia"));
    PopupMenu1->addSeparator();
    N_About = PopupMenu1->addAction(QStringLiteral("O programie"));
    N_Help = PopupMenu1->addAction(QStringLiteral("Pomoc"));
    PopupMenu1->addSeparator();
    N_End = PopupMenu1->addAction(QStringLiteral("Koniec"));
    connect(N_Settings, &QAction::triggered, this, [this] { ShowMainWindow(false); });
    connect(N_About, &QAction::triggered, this, [this] { showAbout(false); });
    connect(N_Help, &QAction::triggered, this, [this] { showHelp(false); });
    connect(N_End, &QAction::triggered, this, &TOptionsForm::EndProgram);

    QIcon pictures;
    for (const char *name : {"kelvadrin-16.png", "kelvadrin-22.png", "kelvadrin-24.png",
                             "kelvadrin-32.png", "kelvadrin-48.png", "kelvadrin.png"})
        pictures.addPixmap(QPixmap::fromImage(loadAssetPng(QString::fromLatin1(name))));
    TrayIcon1 =
        new Tray(QStringLiteral("kelvadrin"), pictures, PopupMenu1,
                 {.statusNotifier = m_context.busTray, .xembed = m_context.trayAvailable}, this);
    TrayIcon1->setToolTip(QStringLiteral("Kelvadrin"));
    connect(TrayIcon1, &Tray::activated, this, [this] { ShowMainWindow(true); });
    // A panel that starts after the program (or restarts) takes the icon then.
    connect(TrayIcon1, &Tray::docked, this, [this] { m_trayDocked = true; });
    // The panel gone with no other tray: the window is not hidden to nowhere,
    // and the minute timer looks for a tray again.
    connect(TrayIcon1, &Tray::undocked, this, [this] { m_trayDocked = false; });
    checkTray();
}

void TOptionsForm::checkTray() {
    if (m_trayDocked)
        return;
    if (TrayIcon1->show()) {
        m_trayDocked = true;
        sendDisplayRequests();
    }
}

void TOptionsForm::buildFrame() {
    auto *central = new QWidget(this);
    setCentralWidget(central);
    const int height = kClientHeight; // the working area below the menu bar

    // Left strip: the side picture seen through a narrow window, and its foot.
    auto *strip = new QFrame(central);
    strip->setFrameShape(QFrame::StyledPanel);
    strip->setGeometry(4, 4, 79, height - 34);
    strip->setAutoFillBackground(true);
    QPalette stripPalette = strip->palette();
    stripPalette.setColor(QPalette::Window, QColor(0xE4, 0xE4, 0xE4));
    strip->setPalette(stripPalette);
    Image1 = new SidePicture(strip);
    Image1->setGeometry(5, 5, SidePicture::WindowWidth, SidePicture::PictureHeight);
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->setAccessibleName(QStringLiteral("Przesuń obraz"));
    Image2 = new QLabel(strip);
    const QImage foot = loadAssetJpeg(QStringLiteral("strip_foot.jpg"));
    Image2->setPixmap(QPixmap::fromImage(foot));
    Image2->setGeometry(5, strip->height() - foot.height() - 5, SidePicture::WindowWidth,
                        foot.height());

    // Tabs over the page stack.
    TabControl1 = new QTabBar(central);
    for (const char *caption :
         {" &Terminy ", " &Baza  teleadresowa ", " &Zadania ", " &Archiwum ", " &Program "})
        TabControl1->addTab(QString::fromUtf8(caption));
    TabControl1->setGeometry(89, 4, 668, 28);
    TabControl1->setExpanding(false);
    PageControl1 = new QStackedWidget(central);
    PageControl1->setGeometry(89, 32, 668, height - 108);
    PageControl1->setFrameShape(QFrame::StyledPanel);
    // The appointment, task and program tabs are filled once the keys are open.
    m_editorPage = new QWidget;
    m_editorPage->resize(PageControl1->contentsRect().size());
    PageControl1->addWidget(m_editorPage);
    m_addressPageHolder = new QWidget;
    m_addressPageHolder->resize(PageControl1->contentsRect().size());
    PageControl1->addWidget(m_addressPageHolder);
    m_tasksPageHolder = new QWidget;
    m_tasksPageHolder->resize(PageControl1->contentsRect().size());
    PageControl1->addWidget(m_tasksPageHolder);
    m_archivePageHolder = new QWidget;
    m_archivePageHolder->resize(PageControl1->contentsRect().size());
    PageControl1->addWidget(m_archivePageHolder);
    m_programPageHolder = new QWidget;
    m_programPageHolder->resize(PageControl1->contentsRect().size());
    PageControl1->addWidget(m_programPageHolder);
    connect(TabControl1, &QTabBar::currentChanged, this, &TOptionsForm::selectTab);

    // The two buttons under the tabs.
    BitBtn1 = new QPushButton(QStringLiteral("P&omoc"), central);
    BitBtn1->setGeometry(545, height - 70, 100, 32);
    BitBtn2 = new QPushButton(QStringLiteral("&Zamknij"), central);
    BitBtn2->setGeometry(655, height - 70, 100, 32);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { showHelp(true); });
    connect(BitBtn2, &QPushButton::clicked, this, &TOptionsForm::HideMainWindow);

    // The status line.
    const int y = height - 26;
    Panel2 = sunkenPanel(central);
    Panel2->setGeometry(2, y, 119, 24);
    ProgressBar1 = new QProgressBar(central);
    ProgressBar1->setRange(0, 16);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setGeometry(124, y + 2, 150, 20);
    Panel3 = sunkenPanel(central);
    Panel3->setGeometry(278, y + 2, 20, 20);
    Panel3->setAutoFillBackground(true);
    setLamp(palette().color(QPalette::Button));
    Panel4 = sunkenPanel(central);
    Panel4->setGeometry(302, y, kClientWidth - 304, 24);
}

void TOptionsForm::fixClientSize() {
    // The client area is the working area below the menu bar.
    setFixedSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
}

} // namespace kv

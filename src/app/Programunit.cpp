#include "Programunit.h"

#include "appointments/AppointmentStore.h"
#include "info/Alertunit.h"
#include "platform/FileChooser.h"
#include "platform/RegistryNames.h"
#include "widgets/JpegImage.h"
#include "widgets/WindowUtil.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

namespace kv {

namespace {
const QString kDefaultDuration = QStringLiteral("5");
const QString kWriteFailed = QStringLiteral("Zapis ustawień nie powiódł się. Powód niezależny.");
} // namespace

// ---------------------------------------------------------------- MediaPlayer

namespace {
// The player's two symbols, drawn here: the desktop's icon theme is not worth
// a lookup at every start.
QIcon playerIcon(bool play) {
    return drawnIcon(16, 16, [play](QPainter &painter, qreal) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(40, 40, 40));
        if (play)
            painter.drawPolygon(QPolygonF({QPointF(4, 2), QPointF(14, 8), QPointF(4, 14)}));
        else
            painter.drawRect(QRectF(3, 3, 10, 10));
    });
}
} // namespace

MediaPlayer::MediaPlayer(ISound &sound, QWidget *parent) : QWidget(parent), m_sound(sound) {
    PlayButton = new QToolButton(this);
    PlayButton->setIcon(playerIcon(true));
    PlayButton->setGeometry(0, 0, 34, 28);
    StopButton = new QToolButton(this);
    StopButton->setIcon(playerIcon(false));
    StopButton->setGeometry(34, 0, 34, 28);
    PlayButton->setAccessibleName(QStringLiteral("Odtwórz"));
    StopButton->setAccessibleName(QStringLiteral("Zatrzymaj"));
    setFixedSize(68, 28);
    connect(PlayButton, &QToolButton::clicked, this, &MediaPlayer::Play);
    connect(StopButton, &QToolButton::clicked, this, &MediaPlayer::Stop);
}

void MediaPlayer::Play() {
    QString error;
    if (!m_sound.play(false, &error))
        emit failed(error);
}

void MediaPlayer::Stop() {
    m_sound.stop();
}

// ---------------------------------------------------------------- the page

TProgramPage::TProgramPage(Platform &platform, RegKey settingsKey, TAlertForm &alert,
                           QWidget *parent)
    : QWidget(parent), m_platform(platform), m_settingsKey(std::move(settingsKey)), m_alert(alert),
      m_duration(kDefaultDuration) {}

void TProgramPage::setVisible(bool visible) {
    if (visible)
        ensureBuilt();
    QWidget::setVisible(visible);
}

void TProgramPage::ensureBuilt() {
    if (GroupBox1)
        return;
    GroupBox1 = new QGroupBox(QStringLiteral(" Program "), this);
    GroupBox1->setGeometry(8, 4, 648, 428);
    QWidget *g = GroupBox1;

    CheckBox1 = new QCheckBox(QStringLiteral("Poprzedzaj moment przypomnienia sygnałem."), g);
    CheckBox1->setChecked(m_signal);
    CheckBox1->setGeometry(20, 36, 400, 24);
    Label19 = new QLabel(QStringLiteral("Czas trwania..."), g);
    Label19->setGeometry(44, 70, 120, 24);
    ComboBox3 = new QComboBox(g);
    ComboBox3->setEditable(true);
    ComboBox3->setInsertPolicy(QComboBox::NoInsert);
    ComboBox3->setCompleter(nullptr);
    ComboBox3->addItems({QStringLiteral("5"), QStringLiteral("10"), QStringLiteral("15")});
    ComboBox3->lineEdit()->setMaxLength(2);
    ComboBox3->setEditText(m_duration);
    ComboBox3->setGeometry(166, 68, 60, 28);
    Label3 = new QLabel(QStringLiteral("s."), g);
    Label3->setGeometry(232, 70, 30, 24);

    CheckBox7 = new QCheckBox(QStringLiteral("Dodaj każdą wiadomość do archiwum - domyślnie."), g);
    CheckBox7->setChecked(m_archive);
    CheckBox7->setGeometry(20, 150, 420, 24);

    CheckBox8 = new QCheckBox(QStringLiteral("Odtwórz dźwięk w momencie przypomnienia..."), g);
    CheckBox8->setChecked(m_soundBox);
    CheckBox8->setGeometry(20, 230, 420, 24);
    Edit6 = new QLineEdit(m_soundName, g);
    Edit6->setEnabled(false);
    Edit6->setGeometry(44, 264, 300, 28);
    MediaPlayer1 = new MediaPlayer(m_platform.sound, g);
    MediaPlayer1->move(352, 264);
    MediaPlayer1->setEnabled(m_playerEnabled);
    BitBtn3 = new QPushButton(QStringLiteral("&Przeglądaj"), g);
    BitBtn3->setGeometry(430, 263, 120, 30);

    // The three settings apart, and the program's picture below them.
    for (int y : {118, 198, 318}) {
        auto *line = new QFrame(g);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        line->setGeometry(20, y, 608, 2);
    }
    // Beside the reminder window, for a user in another window or on the lock screen.
    CheckBox9 =
        new QCheckBox(QStringLiteral("Pokaż przypomnienie także jako powiadomienie pulpitu."), g);
    CheckBox9->setChecked(m_notices);
    CheckBox9->setGeometry(20, 340, 500, 24);

    auto *picture = new QLabel(g);
    picture->setPixmap(
        QPixmap::fromImage(withoutBackground(loadAssetJpeg(QStringLiteral("about.jpg")))));
    picture->setGeometry(548, 332, 80, 80);

    // The boxes and the field answer the user only.
    connect(CheckBox1, &QCheckBox::clicked, this, &TProgramPage::CheckBox1Click);
    connect(CheckBox7, &QCheckBox::clicked, this, &TProgramPage::CheckBox7Click);
    connect(CheckBox8, &QCheckBox::clicked, this, &TProgramPage::CheckBox8Click);
    connect(ComboBox3->lineEdit(), &QLineEdit::textEdited, this, &TProgramPage::ComboBox3Change);
    connect(ComboBox3, &QComboBox::activated, this, &TProgramPage::ComboBox3Change);
    connect(BitBtn3, &QPushButton::clicked, this, &TProgramPage::BitBtn3Click);
    connect(CheckBox9, &QCheckBox::clicked, this, &TProgramPage::CheckBox9Click);
    connect(MediaPlayer1, &MediaPlayer::failed, this,
            [this](const QString &error) { m_alert.showMessage(error); });

    // Names for screen readers.
    setCaption(Label19, ComboBox3);
    Edit6->setAccessibleName(QStringLiteral("Plik dźwięku"));
}

void TProgramPage::write(const std::function<void()> &action) {
    try {
        action();
    } catch (const RegistryError &) {
        m_alert.showMessage(kWriteFailed);
    }
}

QString TProgramPage::fileNameOf(const QString &path) {
    const qsizetype slash =
        std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    return slash < 0 ? path : path.mid(slash + 1);
}

void TProgramPage::ReadSettings(const std::function<void()> &loadSlot1) {
    const auto sound = m_settingsKey.stringOrAbsent(names::sound);
    if (sound)
        LoadSoundFile(*sound, false);
    else
        showSound(false, m_soundName, m_playerEnabled);

    if (loadSlot1)
        loadSlot1();

    const auto integer = [this](const QString &name) {
        return m_settingsKey.integerOrAbsent(name);
    };
    if (const auto signal = integer(names::soundAlert)) {
        m_signal = *signal != 0;
        if (CheckBox1)
            CheckBox1->setChecked(m_signal);
    }
    if (const auto archive = integer(names::archive)) {
        m_archive = *archive != 0;
        if (CheckBox7)
            CheckBox7->setChecked(m_archive);
    }
    if (const auto seconds = integer(names::soundAlertTime))
        setDurationText(QString::number(*seconds));
    if (const auto notices = integer(names::desktopNotices)) {
        m_notices = *notices != 0;
        if (CheckBox9)
            CheckBox9->setChecked(m_notices);
    }
}

void TProgramPage::showSound(bool box, const QString &name, bool player) {
    m_soundBox = box;
    m_soundName = name;
    m_playerEnabled = player;
    if (!CheckBox8)
        return;
    CheckBox8->setChecked(box);
    Edit6->setText(name);
    MediaPlayer1->setEnabled(player);
    MediaPlayer1->update();
}

bool TProgramPage::LoadSoundFile(const QString &path, bool play) {
    showSound(true, fileNameOf(path), true);

    QString error;
    bool ok = m_platform.sound.open(path, &error);
    if (ok && play)
        ok = m_platform.sound.play(true, &error);
    if (!ok) {
        showSound(false, QString(), false);
        m_alert.showMessage(error);
    }
    return ok;
}

void TProgramPage::CheckBox1Click() {
    const bool on = CheckBox1->isChecked();
    write([&] { m_settingsKey.writeBool(names::soundAlert, on); });
}

void TProgramPage::CheckBox7Click() {
    const bool on = CheckBox7->isChecked();
    write([&] { m_settingsKey.writeBool(names::archive, on); });
    emit archiveBoxClicked(on);
}

void TProgramPage::CheckBox9Click() {
    const bool on = CheckBox9->isChecked();
    write([&] { m_settingsKey.writeBool(names::desktopNotices, on); });
}

void TProgramPage::ComboBox3Change() {
    const QString text = ComboBox3->currentText();
    const int seconds = leadingNumber(text);
    if (seconds < 1 && !text.isEmpty()) {
        m_alert.showMessage(
            QStringLiteral("Czas wyprzedzenia musi zawierać się w przedziale od 1 do 99 sekund."));
        setDurationText(kDefaultDuration);
        return;
    }
    // An empty field stores 0; the reminder puts "5" back before it beeps.
    write([&] { m_settingsKey.writeInteger(names::soundAlertTime, seconds); });
}

void TProgramPage::CheckBox8Click() {
    // Checking alone plays nothing: a file has to be chosen first.
    if (CheckBox8->isChecked()) {
        m_soundBox = true;
        return;
    }
    showSound(false, QString(), false);
    write([&] { m_settingsKey.deleteValue(names::sound); });
}

void TProgramPage::BitBtn3Click() {
    const QString path =
        FileChooser(m_platform.fileDialogs, m_settingsKey.registry())
            .open(this, names::folderSound,
                  {QStringLiteral("Wybierz dźwięk..."),
                   QStringLiteral("Plik audio (mp3, wav) (*.mp3 *.wav)"), QStringLiteral("mp3")});
    if (path.isEmpty()) {
        // The box and the player stay as they are; the next reminder beeps.
        write([&] { m_settingsKey.deleteValue(names::sound); });
        showSound(m_soundBox, QString(), m_playerEnabled);
        return;
    }
    bool stored = false;
    write([&] {
        m_settingsKey.writeString(names::sound, path);
        stored = true;
    });
    if (stored)
        LoadSoundFile(path, false);
}

// Once the controls exist, they are the settings.
bool TProgramPage::signalEnabled() const {
    return CheckBox1 ? CheckBox1->isChecked() : m_signal;
}

QString TProgramPage::durationText() const {
    return ComboBox3 ? ComboBox3->currentText() : m_duration;
}

void TProgramPage::setDurationText(const QString &text) {
    m_duration = text;
    if (ComboBox3)
        ComboBox3->setEditText(text);
}

bool TProgramPage::archiveEnabled() const {
    return CheckBox7 ? CheckBox7->isChecked() : m_archive;
}

bool TProgramPage::desktopNotices() const {
    return CheckBox9 ? CheckBox9->isChecked() : m_notices;
}

bool TProgramPage::soundSettingExists() const {
    try {
        return m_settingsKey.valueExists(names::sound);
    } catch (const RegistryError &) {
        return false;
    }
}

QString TProgramPage::soundSetting() const {
    return m_settingsKey.stringOrAbsent(names::sound).value_or(QString());
}

void TProgramPage::stopSound() {
    m_platform.sound.stop();
}

} // namespace kv

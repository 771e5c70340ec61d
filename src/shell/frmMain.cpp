#include "shell/frmMain.h"

#include "entry/SelectorRows.h"
#include "link/ConnectionCycle.h"
#include "link/QtSocketComponent.h"
#include "requests/TwoStateButton.h"
#include "shell/CaptionButton.h"
#include "shell/EventLog.h"
#include "shell/IniSnapshot.h"
#include "shell/LogLineDelegate.h"
#include "shell/StatusLabel.h"
#include "shell/Twips.h"
#include "shell/SettingsKeys.h"
#include "shell/YieldToEvents.h"
#include "shell/modRWIniFile.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTime>
#include <QTimer>

const QString frmMain::AppTitle = QStringLiteral("TessraProg");

namespace {

const QString SettingsNotKept = QStringLiteral("Die Einstellungen konnten nicht gespeichert werden:\n%1");

const QString WindowCaption = QStringLiteral("Korvan-Programmer (Lan und Funk), Version ");
const QString Version = QStringLiteral("1.000.031");

constexpr int ClientWidth = 14475;
constexpr int ClientHeight = 9660;
// Dense like the panel it replaces: captions of about 8 points, in a face of
// Arial's widths where the system has one.
constexpr int FontPixels = 11;
const QString FontFamily = QStringLiteral("Liberation Sans");

constexpr int Timer2LoadMs = 300;
constexpr int Timer2ActiveMs = 200;

constexpr int TargetLan = 0;

// Inside the parameter frames, in twips: one row per field or address, the
// caption at its left, the flag boxes in a column beside them.
constexpr int RowTop = 240;
constexpr int RowPitch = 270;
constexpr int RowHeight = 255;
constexpr int CaptionLeft = 90;
constexpr int LanCaptionWidth = 900;
constexpr int OctetLeft = 1005;
constexpr int OctetWidth = 375;
constexpr int OctetPitch = 405;
constexpr int LanFieldWidth = 630;
constexpr int LanFlagLeft = 2640;
constexpr int FlagWidth = 1740;
constexpr int FunkCaptionWidth = 1110;
constexpr int FunkFieldLeft = 1245;
constexpr int FunkFieldWidth = 600;
constexpr int FunkFlagLeft = 2160;
constexpr int BitRowLabelWidth = 1260;
constexpr int BitBoxLeft = 1380;
constexpr int BitBoxPitch = 225;
constexpr int FunkRows = 6;
// Label13 sits this far below the top of its indicator.
constexpr float InputLabelDrop = 80.0f;

constexpr int OctetsPerAddress = 4;
constexpr int PortField = 16;
constexpr int TDiffOnField = 18;
constexpr int TDiffOffField = 19;
constexpr int TDiffOnFunk = 4;
constexpr int TDiffOffFunk = 5;
constexpr int AddressMaxLength = 3;
constexpr int NumberMaxLength = 5;
constexpr int FunkNumberMaxLength = 4;
constexpr int FunkAddressFields = 3;

const std::array<QString, 8> LanFlagCaptions = {
    QStringLiteral("OutStateMem"),  QStringLiteral("InStateMem"),    QStringLiteral("SysTimeOut"),
    QStringLiteral("AutoTx InChg"), QStringLiteral("AutoTxRepeat"),  QStringLiteral("T-Diff-Regler"),
    QStringLiteral("supr. HP Port"), QStringLiteral("M2M Comm")};
constexpr int NewLanFlagDiffering = 6;
const QString NewLanFlagCaption6 = QStringLiteral("supr. HP. Port");
const std::array<QString, 6> FunkFlagCaptions = {
    QStringLiteral("OutStateMem"),  QStringLiteral("InStateMem"),    QStringLiteral("SysTimeOut"),
    QStringLiteral("AutoTx InChg"), QStringLiteral("AutoTx Repeat"), QStringLiteral("T-Diff Regler")};
const std::array<QString, 4> AddressRowNames = {QStringLiteral("IPAdresse"), QStringLiteral("Gateway"),
                                                QStringLiteral("SubnetMask"), QStringLiteral("StdDestIP")};
const std::array<QString, 6> FunkFieldNames = {QStringLiteral("Home-Adresse"), QStringLiteral("Dev-Adr High"),
                                               QStringLiteral("Dev-Adr Low"),  QStringLiteral("eNum"),
                                               QStringLiteral("TDiff Ein"),    QStringLiteral("TDiff Aus")};
const QString PortName = QStringLiteral("Port");
const QString ENumName = QStringLiteral("eNum");
const QString TDiffOnName = QStringLiteral("TDiff Ein");
const QString TDiffOffName = QStringLiteral("TDiff Aus");

const std::array<QString, 20> Text1Initial = {
    QStringLiteral("192"), QStringLiteral("168"), QStringLiteral("28"),  QStringLiteral("215"),
    QStringLiteral("219"), QStringLiteral("168"), QStringLiteral("28"),  QStringLiteral("254"),
    QStringLiteral("255"), QStringLiteral("255"), QStringLiteral("255"), QStringLiteral("0"),
    QStringLiteral("192"), QStringLiteral("128"), QStringLiteral("28"),  QStringLiteral("2"),
    QStringLiteral("340"), QStringLiteral("1"),   QStringLiteral("1"),   QStringLiteral("1")};
const std::array<QString, 20> Text2Initial = {
    QStringLiteral("192"), QStringLiteral("168"), QStringLiteral("28"),  QStringLiteral("1"),
    QStringLiteral("255"), QStringLiteral("254"), QStringLiteral("28"),  QStringLiteral("254"),
    QStringLiteral("255"), QStringLiteral("255"), QStringLiteral("255"), QStringLiteral("0"),
    QStringLiteral("192"), QStringLiteral("168"), QStringLiteral("28"),  QStringLiteral("11"),
    QStringLiteral("340"), QStringLiteral("1"),   QStringLiteral("1"),   QStringLiteral("1")};
const std::array<QString, 6> Text3Initial = {QStringLiteral("28"),  QStringLiteral("1"),   QStringLiteral("22"),
                                             QStringLiteral("123"), QStringLiteral("1.2"), QStringLiteral("1.1")};
const std::array<QString, 6> Text5Initial = {QStringLiteral("28"), QStringLiteral("1"),   QStringLiteral("22"),
                                             QStringLiteral("2"),  QStringLiteral("4.0"), QStringLiteral("2.0")};
const std::array<QString, 4> Text4Initial = {QStringLiteral("192"), QStringLiteral("168"), QStringLiteral("28"),
                                             QStringLiteral("209")};

// Label15: the captions of the radio fields, of the LAN T-Diff fields, and the
// frequency and power displays of both radio frames.
constexpr std::array<int, 6> CurrentFunkCaption = {0, 1, 2, 4, 5, 6};
constexpr std::array<int, 6> NewFunkCaption = {7, 8, 9, 10, 11, 13};
constexpr int CurrentFrequencyLabel = 3;
constexpr int CurrentTxPowerLabel = 12;
constexpr int NewFrequencyLabel = 14;
constexpr int NewTxPowerLabel = 15;
constexpr std::array<int, 2> CurrentLanTDiffCaption = {16, 17};
constexpr std::array<int, 2> NewLanTDiffCaption = {18, 19};
// Label1 to Label8 and Label16 to Label19: the rows of the current and of the new LAN frame.
constexpr std::array<int, 6> CurrentLanCaption = {1, 2, 3, 4, 16, 17};
constexpr std::array<int, 6> NewLanCaption = {5, 6, 7, 8, 18, 19};

QString indexed(const QString &name, int index)
{
    return QStringLiteral("%1(%2)").arg(name).arg(index);
}

template <typename W>
W *place(W *widget, const QString &objectName, int left, int top, int width, int height)
{
    widget->setObjectName(objectName);
    widget->setGeometry(Twips::rect(left, top, width, height));
    return widget;
}

QGroupBox *frame(QWidget *parent, const QString &name, const QString &caption, int left, int top, int width,
                 int height)
{
    auto *box = place(new QGroupBox(caption, parent), name, left, top, width, height);
    box->setAccessibleName(caption.trimmed());
    // Opaque, so that a frame shown over others hides what lies beneath.
    box->setAutoFillBackground(true);
    return box;
}

QPushButton *button(QWidget *parent, const QString &name, const QString &caption, int left, int top, int width,
                    int height)
{
    // No fixed accessible name: a screen reader hears the caption the button shows now, without its mnemonic.
    return place(new CaptionButton(caption, parent), name, left, top, width, height);
}

QLabel *label(QWidget *parent, const QString &name, const QString &caption, int left, int top, int width,
              int height)
{
    return place(new QLabel(caption, parent), name, left, top, width, height);
}

// The number of characters a person may type into a field; the field's own maximum
// is raised to the length of a longer text the program puts there, and comes back
// down to the limit, or what the field holds, as soon as the person edits it.
const char TypingLimit[] = "typingLimit";

void allowTyping(QLineEdit *edit)
{
    const QVariant limit = edit->property(TypingLimit);
    if (limit.isValid())
        edit->setMaxLength(std::max(limit.toInt(), int(edit->text().size())));
}

QLineEdit *field(QWidget *parent, const QString &name, const QString &accessibleName, const QString &text,
                 int maxLength, int left, int top, int width)
{
    auto *edit = place(new QLineEdit(text, parent), name, left, top, width, RowHeight);
    edit->setAccessibleName(accessibleName);
    if (maxLength > 0) {
        edit->setProperty(TypingLimit, maxLength);
        edit->setMaxLength(maxLength);
        QObject::connect(edit, &QLineEdit::textEdited, edit, [edit] { allowTyping(edit); });
    }
    return edit;
}

QCheckBox *checkBox(QWidget *parent, const QString &name, const QString &caption, const QString &accessibleName,
                    int left, int top, int width)
{
    auto *box = place(new QCheckBox(caption, parent), name, left, top, width, RowHeight);
    box->setAccessibleName(accessibleName);
    return box;
}

int rowTop(int row)
{
    return RowTop + row * RowPitch;
}

template <std::size_t N>
std::array<bool, N> ticks(const std::array<QCheckBox *, N> &boxes)
{
    std::array<bool, N> values{};
    for (std::size_t k = 0; k < N; ++k)
        values[k] = boxes[k]->isChecked();
    return values;
}

} // namespace

frmMain::frmMain(const Platform &platform, QWidget *parent)
    : QWidget(parent), m_platform(platform)
{
    setObjectName(QStringLiteral("frmMain"));
    QFont small = font();
    small.setFamily(FontFamily);
    small.setPixelSize(FontPixels);
    setFont(small);
    setFixedSize(Twips::toPixels(ClientWidth), Twips::toPixels(ClientHeight));

    SW = new QtSocketComponent(m_platform.listenAddress, this);
    SW->setObjectName(QStringLiteral("SW"));
    // A line edit lays out its first text in the application's font before it takes the window's. With the window's
    // font as the application's while the controls are made, no face is loaded only to be dropped again; message
    // boxes keep the application's own font.
    const QFont applicationFont = QGuiApplication::font();
    QGuiApplication::setFont(small);
    createControls();
    QGuiApplication::setFont(applicationFont);
    connectHandlers();
    Form_Load();
}

frmMain::~frmMain()
{
    // The socket drops a connection still open as it goes; the window being
    // taken down is no longer there to hear of it.
    SW->disconnect(this);
}

void frmMain::createControls()
{
    Frame5 = frame(this, QStringLiteral("Frame5"), QStringLiteral("Select"), 120, 0, 1335, 975);
    Combo1 = place(new QComboBox(Frame5), QStringLiteral("Combo1"), 120, 320, 1095, 360);
    Combo1->setAccessibleName(QStringLiteral("Select"));

    fraControl = frame(this, QStringLiteral("fraControl"), QStringLiteral(" Control "), 1560, 0, 7575, 975);
    cmdTest = button(fraControl, QStringLiteral("cmdTest"), QStringLiteral("&Parameter Abfrage"), 120, 240, 1695, 615);
    GetMesswerte = button(fraControl, QStringLiteral("GetMesswerte"), QStringLiteral("Daten &Einzelabfrage"), 1920,
                          240, 1815, 615);
    MesswerteLoop = button(fraControl, QStringLiteral("MesswerteLoop"), QStringLiteral("&Daten Daueabfrage"), 3840,
                           240, 1695, 615);
    cmdSetParameter = button(fraControl, QStringLiteral("cmdSetParameter"),
                             QStringLiteral("&Programmiere neue Parameter"), 5640, 240, 1815, 615);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer3 = new QTimer(this);
    Timer3->setObjectName(QStringLiteral("Timer3"));
    Timer3->setSingleShot(true);
    m_replyIdle = new QTimer(this);
    m_replyIdle->setSingleShot(true);

    Frame4 = frame(this, QStringLiteral("Frame4"), QStringLiteral("LAN-Funktion"), 9240, 0, 3735, 975);
    SinglePing = button(Frame4, QStringLiteral("SinglePing"), QStringLiteral("&Ping"), 120, 240, 1215, 615);
    Command1 = button(Frame4, QStringLiteral("Command1"), QStringLiteral("&Scann IP-Adressen"), 1440, 240, 2175, 615);

    Frame3 = frame(this, QStringLiteral("Frame3"), QStringLiteral("Exit"), 13080, 0, 1335, 975);
    cmdBeenden = button(Frame3, QStringLiteral("cmdBeenden"), QStringLiteral("&beenden"), 120, 240, 1095, 615);

    // The two LAN frames share their rows; only initial texts, enabled fields
    // and one flag caption differ.
    const auto lanFrame = [](QGroupBox *box, std::array<QLineEdit *, 20> &text, std::array<QCheckBox *, 8> &check,
                             const QString &textName, const QString &checkName,
                             const std::array<QString, 20> &initial, const std::array<int, 6> &captionLabels,
                             std::array<QLabel *, 20> &captions) {
        for (int row = 0; row < OctetsPerAddress; ++row) {
            const int number = captionLabels[static_cast<std::size_t>(row)];
            captions[static_cast<std::size_t>(number)] =
                label(box, QStringLiteral("Label%1").arg(number),
                      AddressRowNames[static_cast<std::size_t>(row)], CaptionLeft, rowTop(row), LanCaptionWidth,
                      RowHeight);
            for (int octet = 0; octet < OctetsPerAddress; ++octet) {
                const int index = row * OctetsPerAddress + octet;
                text[static_cast<std::size_t>(index)] = field(
                    box, indexed(textName, index),
                    AddressRowNames[static_cast<std::size_t>(row)] + QLatin1Char(' ') + QString::number(octet + 1),
                    initial[static_cast<std::size_t>(index)], AddressMaxLength, OctetLeft + octet * OctetPitch,
                    rowTop(row), OctetWidth);
            }
        }
        const std::array<QString, 4> singleNames = {PortName, ENumName, TDiffOnName, TDiffOffName};
        for (int single = 0; single < 4; ++single) {
            const int index = PortField + single;
            const int row = OctetsPerAddress + single;
            const auto captioned = static_cast<std::size_t>(OctetsPerAddress + single);
            if (captioned < captionLabels.size()) {
                const int number = captionLabels[captioned];
                captions[static_cast<std::size_t>(number)] =
                    label(box, QStringLiteral("Label%1").arg(number), singleNames[static_cast<std::size_t>(single)],
                          CaptionLeft, rowTop(row), LanCaptionWidth, RowHeight);
            }
            text[static_cast<std::size_t>(index)] =
                field(box, indexed(textName, index), singleNames[static_cast<std::size_t>(single)],
                      initial[static_cast<std::size_t>(index)], NumberMaxLength, OctetLeft, rowTop(row),
                      LanFieldWidth);
        }
        for (std::size_t k = 0; k < check.size(); ++k) {
            check[k] = checkBox(box, indexed(checkName, static_cast<int>(k)), LanFlagCaptions[k], LanFlagCaptions[k],
                                LanFlagLeft, rowTop(static_cast<int>(k)), FlagWidth);
        }
    };
    const auto captionRow = [](QGroupBox *box, int labelIndex, const QString &caption, int row) {
        return label(box, indexed(QStringLiteral("Label15"), labelIndex), caption, CaptionLeft, rowTop(row),
                     LanCaptionWidth, RowHeight);
    };

    Frame1 = frame(this, QStringLiteral("Frame1"), QStringLiteral("aktuelle LAN-Parameter"), 120, 1080, 4455, 2535);
    lanFrame(Frame1, Text1, Check1, QStringLiteral("Text1"), QStringLiteral("Check1"), Text1Initial,
             CurrentLanCaption, LanCaption);
    Label15[CurrentLanTDiffCaption[0]] = captionRow(Frame1, CurrentLanTDiffCaption[0], TDiffOnName, 6);
    Label15[CurrentLanTDiffCaption[1]] = captionRow(Frame1, CurrentLanTDiffCaption[1], TDiffOffName, 7);
    Text1[TDiffOnField]->setEnabled(false);
    Text1[TDiffOffField]->setEnabled(false);
    for (QCheckBox *box : Check1)
        box->setEnabled(false);

    Frame2 = frame(this, QStringLiteral("Frame2"), QStringLiteral("neue LAN-Parameter"), 4680, 1080, 4455, 2535);
    lanFrame(Frame2, Text2, Check2, QStringLiteral("Text2"), QStringLiteral("Check2"), Text2Initial, NewLanCaption,
             LanCaption);
    Label15[NewLanTDiffCaption[0]] = captionRow(Frame2, NewLanTDiffCaption[0], TDiffOnName, 6);
    Label15[NewLanTDiffCaption[1]] = captionRow(Frame2, NewLanTDiffCaption[1], TDiffOffName, 7);
    Check2[NewLanFlagDiffering]->setText(NewLanFlagCaption6);
    Check2[NewLanFlagDiffering]->setAccessibleName(NewLanFlagCaption6);

    // The radio frames: six fields in rows, the flags beside them, and the
    // frequency and power rows below, highest bit on the left.
    const auto funkFrame = [this](QGroupBox *box, std::array<QLineEdit *, 6> &text, std::array<QCheckBox *, 6> &flags,
                                  std::array<QCheckBox *, 12> &frequency, std::array<QCheckBox *, 3> &power,
                                  const QString &textName, const QString &flagName, const QString &frequencyName,
                                  const QString &powerName, const std::array<QString, 6> &initial,
                                  const std::array<int, 6> &captionLabels, int frequencyLabel, int powerLabel,
                                  bool limitAddresses) {
        for (int index = 0; index < FunkRows; ++index) {
            const auto k = static_cast<std::size_t>(index);
            Label15[static_cast<std::size_t>(captionLabels[k])] =
                label(box, indexed(QStringLiteral("Label15"), captionLabels[k]), FunkFieldNames[k], CaptionLeft,
                      rowTop(index), FunkCaptionWidth, RowHeight);
            int maxLength = FunkNumberMaxLength;
            if (index < FunkAddressFields)
                maxLength = limitAddresses ? AddressMaxLength : 0;
            else if (index < TDiffOnFunk)
                maxLength = limitAddresses ? FunkNumberMaxLength : 0;
            text[k] = field(box, indexed(textName, index), FunkFieldNames[k], initial[k], maxLength, FunkFieldLeft,
                            rowTop(index), FunkFieldWidth);
            flags[k] = checkBox(box, indexed(flagName, index), FunkFlagCaptions[k], FunkFlagCaptions[k],
                                FunkFlagLeft, rowTop(index), FlagWidth);
        }
        const int frequencyRow = FunkRows;
        const int powerRow = FunkRows + 1;
        Label15[static_cast<std::size_t>(frequencyLabel)] =
            label(box, indexed(QStringLiteral("Label15"), frequencyLabel), SelectorRows::InitialFrequencyCaption,
                  CaptionLeft, rowTop(frequencyRow), BitRowLabelWidth, RowHeight);
        for (int k = SelectorRows::FrequencyBits - 1; k >= 0; --k) {
            const int column = SelectorRows::FrequencyBits - 1 - k;
            frequency[static_cast<std::size_t>(k)] =
                checkBox(box, indexed(frequencyName, k), QString(), QStringLiteral("Frequenz Bit %1").arg(k),
                         BitBoxLeft + column * BitBoxPitch, rowTop(frequencyRow), BitBoxPitch);
        }
        Label15[static_cast<std::size_t>(powerLabel)] =
            label(box, indexed(QStringLiteral("Label15"), powerLabel), SelectorRows::InitialTxPowerCaption,
                  CaptionLeft, rowTop(powerRow), BitRowLabelWidth, RowHeight);
        for (int k = SelectorRows::TxPowerBits - 1; k >= 0; --k) {
            const int column = SelectorRows::TxPowerBits - 1 - k;
            power[static_cast<std::size_t>(k)] =
                checkBox(box, indexed(powerName, k), QString(), QStringLiteral("Sendeleistung Bit %1").arg(k),
                         BitBoxLeft + column * BitBoxPitch, rowTop(powerRow), BitBoxPitch);
        }
    };

    Frame7 = frame(this, QStringLiteral("Frame7"), QStringLiteral("aktuelle Funk-Parameter"), 3000, 4920, 6375, 2415);
    funkFrame(Frame7, Text3, Check3, Check5, Check6, QStringLiteral("Text3"), QStringLiteral("Check3"),
              QStringLiteral("Check5"), QStringLiteral("Check6"), Text3Initial, CurrentFunkCaption,
              CurrentFrequencyLabel, CurrentTxPowerLabel, true);
    Text3[TDiffOnFunk]->setEnabled(false);
    Text3[TDiffOffFunk]->setEnabled(false);
    for (QCheckBox *box : Check3)
        box->setEnabled(false);
    for (QCheckBox *box : Check6)
        box->setEnabled(false);
    Frame7->hide();

    Frame8 = frame(this, QStringLiteral("Frame8"), QStringLiteral("neue Funk-Parameter"), 360, 6240, 6375, 2415);
    funkFrame(Frame8, Text5, Check4, Check7, Check8, QStringLiteral("Text5"), QStringLiteral("Check4"),
              QStringLiteral("Check7"), QStringLiteral("Check8"), Text5Initial, NewFunkCaption, NewFrequencyLabel,
              NewTxPowerLabel, false);
    constexpr int AutoTxInChg = 3;
    constexpr int AutoTxRepeat = 4;
    Check4[AutoTxInChg]->setEnabled(false);
    Check4[AutoTxRepeat]->setEnabled(false);
    Frame8->hide();

    Label11 = label(this, QStringLiteral("Label11"), QStringLiteral("bad Ping List"), 9240, 1000, 1815, 255);
    List2 = place(new QListWidget(this), QStringLiteral("List2"), 9240, 1200, 5175, 2400);
    List2->setAccessibleName(QStringLiteral("bad Ping List"));
    Label11->setBuddy(List2);

    Label9 = label(this, QStringLiteral("Label9"), QStringLiteral("Socket-Status:"), 120, 3960, 1095, 255);
    Label10 = place(new StatusLabel(QStringLiteral("??"), this), QStringLiteral("Label10"), 1320, 3960, 0, 0);
    Label10->adjustSize();
    Label12 = label(this, QStringLiteral("Label12"), QStringLiteral("Temperatur ?"), 4680, 3960, 0, 0);
    Label12->adjustSize();

    List1 = place(new QListWidget(this), QStringLiteral("List1"), 120, 4200, 11895, 5325);
    List1->setAccessibleName(QStringLiteral("Ereignisprotokoll"));
    List1->setItemDelegate(new LogLineDelegate(EventLog::MaxLines, List1));

    constexpr int ChannelLeft = 12120;
    constexpr std::array<int, 4> PortTop = {4200, 4800, 5400, 6000};
    constexpr std::array<int, 4> InputTop = {6840, 7320, 7800, 8280};
    for (int i = 0; i < 4; ++i) {
        const auto k = static_cast<std::size_t>(i);
        Port1[k] = place(new TwoStateButton(QStringLiteral("Ch %1").arg(i + 1), this), indexed(QStringLiteral("Port1"), i),
                         ChannelLeft, PortTop[k], 2295, 495);
    }
    for (int i = 0; i < 4; ++i) {
        const auto k = static_cast<std::size_t>(i);
        Shape1[k] = place(new QFrame(this), indexed(QStringLiteral("Shape1"), i), ChannelLeft, InputTop[k], 1935, 375);
        Shape1[k]->setFrameShape(QFrame::Box);
        Shape1[k]->setAutoFillBackground(true);
        QPalette grey = Shape1[k]->palette();
        grey.setColor(QPalette::Window, QColor(192, 192, 192));
        Shape1[k]->setPalette(grey);
        Label13[k] = label(this, indexed(QStringLiteral("Label13"), i), QStringLiteral("Inp %1").arg(i + 1), 0, 0, 0, 0);
        Label13[k]->adjustSize();
        AutoSend[k] = button(this, indexed(QStringLiteral("AutoSend"), i), QStringLiteral("..."), 14085, InputTop[k],
                             350, 375);
        AutoSend[k]->setAccessibleName(QStringLiteral("AutoSend Inp %1").arg(i + 1));
    }

    Frame6 = frame(this, QStringLiteral("Frame6"), QStringLiteral("Funk/LAN-Gateway"), 12120, 8760, 2295, 735);
    constexpr int GatewayTop = 285;
    constexpr int GatewayFieldLeft = 690;
    constexpr int GatewayFieldPitch = 390;
    constexpr int GatewayFieldWidth = 360;
    Label14 = label(Frame6, QStringLiteral("Label14"), QStringLiteral("IP-Adr."), CaptionLeft, GatewayTop, 600,
                    RowHeight);
    for (int i = 0; i < OctetsPerAddress; ++i) {
        const auto k = static_cast<std::size_t>(i);
        Text4[k] = field(Frame6, indexed(QStringLiteral("Text4"), i), QStringLiteral("IP-Adr. %1").arg(i + 1),
                         Text4Initial[k], AddressMaxLength, GatewayFieldLeft + i * GatewayFieldPitch, GatewayTop,
                         GatewayFieldWidth);
    }
    Label14->setBuddy(Text4[0]);

    // The radio frames lie over the LAN frames and the ping list when shown.
    Frame7->raise();
    Frame8->raise();
}

void frmMain::connectHandlers()
{
    connect(Combo1, &QComboBox::currentIndexChanged, this, [this] { Combo1_Click(); });
    connect(cmdBeenden, &QPushButton::clicked, this, &frmMain::cmdBeenden_Click);
    connect(Timer2, &QTimer::timeout, this, &frmMain::Timer2_Timer);
    connectLinkHandlers();
    connectCommandHandlers();
    connect(m_replyIdle, &QTimer::timeout, this, &frmMain::ReplyIdle_Timer);
    const auto each = [this](const auto &boxes, void (frmMain::*handler)(int)) {
        for (std::size_t k = 0; k < boxes.size(); ++k) {
            connect(boxes[k], &QCheckBox::stateChanged, this,
                    [this, handler, k] { (this->*handler)(static_cast<int>(k)); });
        }
    };
    each(Check2, &frmMain::Check2_Click);
    each(Check4, &frmMain::Check4_Click);
    each(Check5, &frmMain::Check5_Click);
    each(Check6, &frmMain::Check6_Click);
    each(Check7, &frmMain::Check7_Click);
    each(Check8, &frmMain::Check8_Click);
    for (std::size_t k = 0; k < Port1.size(); ++k)
        connect(Port1[k], &QPushButton::toggled, this, [this, k] { Port1_Click(static_cast<int>(k)); });
    connectEntryHandlers();
    connectScanHandlers();
    connectRecordHandlers();
}

// ---- Start-up and shut-down ----

void frmMain::Form_Load()
{
    setWindowTitle(WindowCaption + Version);
    List1->clear();
    FramePreamble = QByteArray("\xFF\xAA", 2);
    FillStateTexts();
    PlaceInputLabels();
    ResumePolling = false;
    UpdatingPorts = false;
    Timer2->setInterval(Timer2LoadMs);
    Timer2->start();
}

void frmMain::Form_Activate()
{
    InitWindowLayout();
    IniSection = QString::fromLatin1(SettingsKeys::IniSection);
    IniFilePath = modRWIniFile::InitIniPath(m_platform.programFolder, m_platform.userFolder);
    ReadSettings();
    StartListening();
    Timer2->setInterval(Timer2ActiveMs);
    Timer2->start();
}

void frmMain::Form_Unload()
{
    // A window closed before it was ever activated has read no settings to keep.
    if (!IniFilePath.isEmpty())
        WriteSettings();
}

void frmMain::cmdBeenden_Click()
{
    close();
    QCoreApplication::quit();
}

void frmMain::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // The window is activated once it is on the screen.
    if (!m_activated) {
        m_activated = true;
        QMetaObject::invokeMethod(this, &frmMain::Form_Activate, Qt::QueuedConnection);
    }
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (!m_unloaded) {
        m_unloaded = true;
        Form_Unload();
    }
    event->accept();
}

// The texts that the settings file fills and keeps.
SettingsKeys::SettingsTexts frmMain::SettingsSnapshot() const
{
    SettingsKeys::SettingsTexts texts;
    const auto take = [](auto &into, const auto &fields) {
        for (std::size_t k = 0; k < fields.size(); ++k)
            into[k] = fields[k]->text();
    };
    take(texts.text1, Text1);
    take(texts.text2, Text2);
    take(texts.text3, Text3);
    take(texts.text4, Text4);
    take(texts.text5, Text5);
    texts.select = Combo1->currentIndex();
    texts.flPort = FLPort;
    texts.flGateway = FLGateway;
    return texts;
}

void frmMain::SetFieldText(QLineEdit *field, const QString &text)
{
    if (text.size() > field->maxLength())
        field->setMaxLength(int(text.size()));
    field->setText(text);
    allowTyping(field);
}

void frmMain::ReadSettings()
{
    SettingsKeys::SettingsTexts texts = SettingsSnapshot();
    const modRWIniFile::IniSnapshot stored(IniFilePath);
    SettingsKeys::applyStoredSettings(texts, [this, &stored](const QString &key) {
        return stored.value(IniSection, key, QString(), modRWIniFile::IniBufferSize);
    });
    const auto put = [](const auto &fields, const auto &from) {
        for (std::size_t k = 0; k < fields.size(); ++k) {
            if (fields[k]->text() != from[k])
                SetFieldText(fields[k], from[k]);
        }
    };
    put(Text1, texts.text1);
    put(Text2, texts.text2);
    put(Text3, texts.text3);
    put(Text4, texts.text4);
    put(Text5, texts.text5);
    FLPort = texts.flPort;
    FLGateway = texts.flGateway;
    SelectTarget(texts.select);
}

void frmMain::WriteSettings()
{
    // The user's folder is made at the first unload; what cannot be kept is said once, not lost silently.
    bool kept = QDir().mkpath(QFileInfo(IniFilePath).absolutePath());
    // One replacement of the file for all keys: a failure midway cannot leave half of them old.
    if (!modRWIniFile::WriteIniValues(IniSection, SettingsKeys::settingsToStore(SettingsSnapshot()), IniFilePath))
        kept = false;
    if (!kept)
        MsgBox(QMessageBox::Warning, SettingsNotKept.arg(QDir::toNativeSeparators(IniFilePath)), AppTitle);
}

// ---- Layout per target kind ----

void frmMain::InitWindowLayout()
{
    {
        const QSignalBlocker quiet(Combo1);
        Combo1->clear();
        Combo1->addItem(QStringLiteral("LAN"));
        Combo1->addItem(QStringLiteral("Funk"));
    }
    SelectTarget(TargetLan);
    Frame1->setGeometry(Twips::rect(120, 1080, 4455, 2535));
    Frame2->setGeometry(QRect(Twips::rect(4680, 0, 0, 0).left(), Frame1->y(), Frame1->width(), Frame1->height()));
    Frame7->setGeometry(QRect(Frame1->pos(), QSize(Twips::toPixels(6495), Frame1->height())));
    Frame8->setGeometry(QRect(Twips::toPixels(6720), Frame2->y(), Frame7->width(), Frame2->height()));
    RxTimeout = ConnectionCycle::RxTimeoutMs;
    // The frame positions of the requests are constants of the frame format.
}

void frmMain::SelectTarget(int index)
{
    if (Combo1->currentIndex() == index) {
        Combo1_Click();
        return;
    }
    Combo1->setCurrentIndex(index);
}

void frmMain::Combo1_Click()
{
    constexpr int AutoTxInChg = 3;
    constexpr int TDiffRegler = 5;
    const bool lan = Combo1->currentIndex() == TargetLan;
    Frame4->setEnabled(lan);
    Frame1->setVisible(lan);
    Frame2->setVisible(lan);
    Frame7->setVisible(!lan);
    Frame8->setVisible(!lan);
    // The radio frames would cover most of the ping list, which serves only LAN devices.
    Label11->setVisible(lan);
    List2->setVisible(lan);
    if (lan) {
        Check2_Click(AutoTxInChg);
        Check2_Click(TDiffRegler);
    } else {
        Check4_Click(TDiffRegler);
    }
    for (QPushButton *b : AutoSend)
        b->setEnabled(lan);
}

void frmMain::PlaceInputLabels()
{
    for (std::size_t i = 0; i < Label13.size(); ++i) {
        const QRect shape = Shape1[i]->geometry();
        const float shapeLeft = static_cast<float>(Twips::fromPixels(shape.left()));
        const float shapeWidth = static_cast<float>(Twips::fromPixels(shape.width()));
        const float labelWidth = static_cast<float>(Twips::fromPixels(Label13[i]->width()));
        const float left = shapeLeft + shapeWidth / 2 - labelWidth / 2;
        const float top = static_cast<float>(Twips::fromPixels(shape.top())) + InputLabelDrop;
        Label13[i]->move(Twips::toPixels(qRound(left)), Twips::toPixels(qRound(top)));
        Label13[i]->raise();
    }
}

// ---- Event log and status line ----

void frmMain::WriteLog(const QString &text)
{
    if (PollingActive)
        return;
    List1->addItem(EventLog::formatLine(QTime::currentTime(), text));
    while (List1->count() > EventLog::MaxLines)
        delete List1->takeItem(0);
    yieldToEvents();
    // Whatever ran meanwhile, the newest line is the one shown.
    List1->setCurrentRow(List1->count() - 1);
    List1->scrollToBottom();
    // Painted with the next pass of the event loop, together with whatever else changed.
    List1->update();
}

void frmMain::ShowSocketState(qint32 state)
{
    if (state == LastShownState)
        return;
    Label10->setBackground(StatusLine::colourForState(state));
    Label10->setText(StatusLine::textForState(StateText, state));
    // An exchange passes through the same few states each time: each text is measured once.
    if (Label10->font() != m_statusLineFont) {
        m_statusLineSizes.clear();
        m_statusLineFont = Label10->font();
    }
    if (const auto known = m_statusLineSizes.constFind(Label10->text()); known != m_statusLineSizes.cend()) {
        if (Label10->size() != *known)
            Label10->resize(*known);
    } else {
        Label10->adjustSize();
        m_statusLineSizes.insert(Label10->text(), Label10->size());
    }
    LastShownState = state;
    // A status line that changed is held against the socket once more by the refresh.
    if (!Timer2->isActive())
        Timer2->start();
    yieldToEvents();
}

void frmMain::FillStateTexts()
{
    StateText = StatusLine::stateTexts();
}

void frmMain::Timer2_Timer()
{
    Timer2->stop();
    if (SW->state() >= 0)
        ShowSocketState(SW->state());
    // Once the status line shows the socket's state the refresh rests until the socket tells of a change: ticking on
    // would wake the idle window five times a second to show the same text. A state it has just read from the socket
    // and shown needs no second look, as one that a handler showed does.
    if (SW->state() == LastShownState)
        Timer2->stop();
    else if (!Timer2->isActive())
        Timer2->start();
}

// ---- Check-box rows ----

void frmMain::Check2_Click(int Index)
{
    constexpr int AutoTxInChg = 3;
    constexpr int AutoTxRepeat = 4;
    constexpr int TDiffRegler = 5;
    if (Index == AutoTxInChg) {
        if (!Check2[AutoTxInChg]->isChecked()) {
            Check2[AutoTxRepeat]->setChecked(false);
            Check2[AutoTxRepeat]->setEnabled(false);
        } else {
            Check2[AutoTxRepeat]->setEnabled(true);
        }
    } else if (Index == TDiffRegler) {
        const bool on = Check2[TDiffRegler]->isChecked();
        Text2[TDiffOnField]->setEnabled(on);
        Text2[TDiffOffField]->setEnabled(on);
    }
}

void frmMain::Check4_Click(int)
{
    constexpr int TDiffRegler = 5;
    const bool on = Check4[TDiffRegler]->isChecked();
    Text5[TDiffOnFunk]->setEnabled(on);
    Text5[TDiffOffFunk]->setEnabled(on);
}

void frmMain::Check5_Click(int)
{
    Label15[CurrentFrequencyLabel]->setText(SelectorRows::frequencyCaption(ticks(Check5), QLocale()));
}

void frmMain::Check7_Click(int)
{
    Label15[NewFrequencyLabel]->setText(SelectorRows::frequencyCaption(ticks(Check7), QLocale()));
}

void frmMain::Check6_Click(int)
{
    Label15[CurrentTxPowerLabel]->setText(SelectorRows::txPowerCaption(ticks(Check6)));
}

void frmMain::Check8_Click(int)
{
    Label15[NewTxPowerLabel]->setText(SelectorRows::txPowerCaption(ticks(Check8)));
}

qint16 frmMain::GetTxPowerByte() const
{
    return static_cast<qint16>(SelectorRows::txPowerByte(ticks(Check8)));
}

void frmMain::GetFrequencyBytes(qint16 &HighByte, qint16 &LowByte) const
{
    const auto [high, low] = SelectorRows::frequencyBytes(ticks(Check7));
    HighByte = static_cast<qint16>(high);
    LowByte = static_cast<qint16>(low);
}

void frmMain::SetFrequencyBits(qint32 Code)
{
    const SelectorRows::FrequencyBoxes bits = SelectorRows::frequencyBoxesFor(Code);
    for (int k = SelectorRows::FrequencyBits - 1; k >= 0; --k)
        Check5[static_cast<std::size_t>(k)]->setChecked(bits[static_cast<std::size_t>(k)]);
}

qint16 frmMain::SetTxPowerBits(qint16 Code)
{
    const SelectorRows::TxPowerBoxes bits = SelectorRows::txPowerBoxesFor(Code);
    for (QCheckBox *box : Check6)
        box->setChecked(false);
    for (std::size_t k = 0; k < bits.size(); ++k) {
        if (bits[k])
            Check6[k]->setChecked(true);
    }
    return static_cast<qint16>(SelectorRows::txPowerAttenuation(ticks(Check6)));
}

QMessageBox::StandardButton frmMain::MsgBox(QMessageBox::Icon icon, const QString &text, const QString &title)
{
    QMessageBox box(icon, title, text, QMessageBox::Ok, this);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

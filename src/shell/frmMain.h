#pragma once

#include "link/RefusalLog.h"
#include "replies/ReplyAssembler.h"
#include "replies/ReplyEffect.h"
#include "shell/SettingsKeys.h"
#include "shell/StatusLine.h"

#include <QFont>
#include <QHash>
#include <QHostAddress>
#include <QMessageBox>
#include <QPointer>
#include <QSize>
#include <QWidget>
#include <array>
#include <functional>

class EchoRound;
struct EchoReply;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;
class SocketComponent;
class StatusLabel;
class TwoStateButton;

// The program's one window: every control and all long-lived state, and the
// handlers of their events. Everything runs on its event thread.
class frmMain final : public QWidget
{
    Q_OBJECT

public:
    // What the window takes from the platform it runs on.
    struct Platform
    {
        // Where the socket listens: every interface in the program, loopback in tests.
        QHostAddress listenAddress = QHostAddress::Any;
        // The folder of the program, which holds the settings file of a portable copy.
        QString programFolder;
        // The user's folder for the settings file, where the program's own holds none.
        QString userFolder;
        // Where the measurement history's module lies; none: below the folder of the running program.
        QString moduleFolder;
    };

    static const QString AppTitle;

    explicit frmMain(const Platform &platform, QWidget *parent = nullptr);
    ~frmMain() override;

    // Form-level state.
    QByteArray FramePreamble;
    qint16 CurrentCommand = 0;
    qint16 CurrentChannel = 0;
    QByteArray RequestFrame;
    bool LongReplyTimeout = false;
    int RxTimeout = 0;
    bool Listening = false;
    bool PollingActive = false;
    bool ResumePolling = false;
    bool UpdatingPorts = false;
    StatusLine::StateTexts StateText;
    qint32 LastShownState = 0;
    QString IniSection;
    QString IniFilePath;
    QString FLGateway;
    QString FLPort;
    QByteArray RxBuffer;

    // Event log and status line.
    void WriteLog(const QString &text);
    void ShowSocketState(qint32 state);
    void FillStateTexts();

    // Layout.
    void InitWindowLayout();
    void PlaceInputLabels();

    // Check-box rows.
    qint16 GetTxPowerByte() const;
    void GetFrequencyBytes(qint16 &HighByte, qint16 &LowByte) const;
    void SetFrequencyBits(qint32 Code);
    // Returns the attenuation in dB that the boxes now show.
    qint16 SetTxPowerBits(qint16 Code);

    // The connection cycle.
    void StartListening();
    void CloseSocket();
    void SendRequest();

    // Reply decoding; true when the reply ended the exchange.
    bool DecodeReply();

    // Command buttons and polling.
    void PollMeasurements();

    // ---- Field entry and request building (entry/frmMain_entry.cpp, requests/frmMain_requests.cpp) ----
    // Puts the request of CurrentCommand, built from the fields, into
    // RequestFrame and applies its effects on the window; RequestFrame is
    // empty when a programming check refused the new radio parameters.
    void BuildRequest();

private:
    void connectEntryHandlers();
    void Text1_KeyPress(int Index, int &KeyAscii);
    void Text2_KeyPress(int Index, int &KeyAscii);
    void Text1_LostFocus(int Index);
    void Text2_LostFocus(int Index);
    // Tells a refused check: message box, focus, beep, in this order.
    void ShowVerdict(const struct CheckVerdict &verdict);
    QWidget *control(const struct FieldRef &ref) const;
    // Puts a text into an entry field whole: a field's length limit holds for typing,
    // not for what the program itself puts there (a copied address, a stored value).
    static void SetFieldText(QLineEdit *field, const QString &text);

    class FieldEventFilter *m_fieldEvents = nullptr;
    // ---- end of field entry and request building ----

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void connectHandlers();

    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void cmdBeenden_Click();
    void Combo1_Click();
    void Check2_Click(int Index);
    void Check4_Click(int Index);
    void Check5_Click(int Index);
    void Check6_Click(int Index);
    void Check7_Click(int Index);
    void Check8_Click(int Index);
    void Port1_Click(int Index);
    void Timer2_Timer();

    // The socket's events and the receive time-out.
    void connectLinkHandlers();
    void SW_Accept(qintptr requestId);
    // False, with the caller turned away unread, when it is not of the installation.
    bool AdmitCaller(qintptr requestId);
    void SW_Connect();
    void SW_Write();
    void SW_Read();
    void SW_Disconnect();
    void SW_Error(int errorCode, const QString &description);
    void Timer1_Timer();
    void EndCallTimeout();
    QString TargetHost() const;
    void SetSocketPorts();

    // Replies: the bytes of one reply are collected before they are decoded.
    void StartReply();
    void ReplyIdle_Timer();
    bool ShowReply(const QByteArray &received);
    void ApplyReplyEffect(const ReplyEffect &effect);
    void CloseExchange();

    // Command buttons, polling, switch and AutoSend buttons.
    void connectCommandHandlers();
    void cmdTest_Click();
    void GetMesswerte_Click();
    void cmdSetParameter_Click();
    void MesswerteLoop_Click();
    void Timer3_Timer();
    void AutoSend_Click(int Index);

    // ---- Ping and address-range scan (src/scan/frmMain_scan.cpp) ----
    void connectScanHandlers();
    void SinglePing_Click();
    void Command1_Click();
    // Reports the answer to the echo request sent to Address.
    void PingAndLog(const QString &Address, bool SingleMode, const EchoReply &Reply);
    // Sends one echo request to each address at once; Report gets their
    // replies, in the same order, once all are in or timed out.
    void StartEchoRound(const QStringList &Addresses, std::function<void(const QList<EchoReply> &)> Report);
    void ExplainEchoFailures(const EchoRound &Round);
    // Pings and scans under way; the request buttons come back when the last one ends.
    int EchoRoundsRunning = 0;
    // The missing permission to ping is explained once.
    bool EchoPermissionExplained = false;
    // ---- end of ping and address-range scan ----

    // ---- Frame trace, measurement history, event log menu (src/recordview/frmMain_record.cpp) ----
    enum class Seen { Sent, Received, Dropped, Decoded };
    void connectRecordHandlers();
    // Hands what crossed the wire to the recording, with the time and the peer.
    void Record(Seen what, const QByteArray &bytes);
    class QMenu *PopupMenu(const QString &name);
    void List1_ContextMenu(const QPoint &at);
    void Label12_ContextMenu(const QPoint &at);
    void CopyLogLines(bool all);
    void SaveLog();
    void ShowTraceWindow();
    void ShowHistoryWindow();
    class Recording *m_recording = nullptr;
    QPointer<QWidget> m_traceWindow;
    QPointer<QWidget> m_historyWindow;
    // ---- end of frame trace, measurement history, event log menu ----

    SettingsKeys::SettingsTexts SettingsSnapshot() const;
    void ReadSettings();
    void WriteSettings();
    // Selecting the target kind always runs the target-kind switch, also when
    // the entry was already selected.
    void SelectTarget(int index);
    QMessageBox::StandardButton MsgBox(QMessageBox::Icon icon, const QString &text, const QString &title);

    const Platform m_platform;
    bool m_activated = false;
    bool m_unloaded = false;
    ReplyAssembler m_reply;
    QTimer *m_replyIdle = nullptr;
    bool m_decoding = false;
    bool m_peerClosedWhileDecoding = false;
    // Timer1 runs for an accepted connection; a request's time-out that it took
    // over had this many milliseconds left (-1: none was running).
    bool m_callTimeout = false;
    int m_requestTimeoutLeft = -1;
    RefusalLog m_refusals;
    // The status line's size for each text it has shown, in the font it was measured in.
    QHash<QString, QSize> m_statusLineSizes;
    QFont m_statusLineFont;

    QGroupBox *Frame5 = nullptr;
    QComboBox *Combo1 = nullptr;
    QGroupBox *fraControl = nullptr;
    QPushButton *cmdTest = nullptr;
    QPushButton *GetMesswerte = nullptr;
    QPushButton *MesswerteLoop = nullptr;
    QPushButton *cmdSetParameter = nullptr;
    SocketComponent *SW = nullptr;
    QTimer *Timer1 = nullptr;
    QTimer *Timer2 = nullptr;
    QTimer *Timer3 = nullptr;
    QGroupBox *Frame4 = nullptr;
    QPushButton *SinglePing = nullptr;
    QPushButton *Command1 = nullptr;
    QGroupBox *Frame3 = nullptr;
    QPushButton *cmdBeenden = nullptr;
    QGroupBox *Frame1 = nullptr;
    std::array<QLineEdit *, 20> Text1{};
    std::array<QCheckBox *, 8> Check1{};
    QGroupBox *Frame2 = nullptr;
    std::array<QLineEdit *, 20> Text2{};
    std::array<QCheckBox *, 8> Check2{};
    QGroupBox *Frame7 = nullptr;
    std::array<QLineEdit *, 6> Text3{};
    std::array<QCheckBox *, 6> Check3{};
    std::array<QCheckBox *, 12> Check5{};
    std::array<QCheckBox *, 3> Check6{};
    QGroupBox *Frame8 = nullptr;
    std::array<QLineEdit *, 6> Text5{};
    std::array<QCheckBox *, 6> Check4{};
    std::array<QCheckBox *, 12> Check7{};
    std::array<QCheckBox *, 3> Check8{};
    std::array<QLabel *, 20> Label15{};
    // Captions of the LAN rows: Label1 to Label8 and Label16 to Label19.
    std::array<QLabel *, 20> LanCaption{};
    QGroupBox *Frame6 = nullptr;
    std::array<QLineEdit *, 4> Text4{};
    QLabel *Label14 = nullptr;
    QListWidget *List1 = nullptr;
    QLabel *Label9 = nullptr;
    StatusLabel *Label10 = nullptr;
    QLabel *Label12 = nullptr;
    QLabel *Label11 = nullptr;
    QListWidget *List2 = nullptr;
    std::array<TwoStateButton *, 4> Port1{};
    std::array<QFrame *, 4> Shape1{};
    std::array<QLabel *, 4> Label13{};
    std::array<QPushButton *, 4> AutoSend{};
};

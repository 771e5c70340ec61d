// The window's side of the frame trace and the measurement history, and the
// event log's menu: what crossed the wire goes to the recording as it passes,
// and the trace and history windows are opened from the log and the
// temperature line.
#include "link/SocketComponent.h"
#include "record/Recording.h"
#include "recordview/HistoryModule.h"
#include "recordview/SaveAsk.h"
#include "recordview/TraceWindow.h"
#include "shell/frmMain.h"

#include <QAction>
#include <QCoreApplication>
#include <QClipboard>
#include <QDateTime>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QSaveFile>

void frmMain::connectRecordHandlers()
{
    m_recording = new Recording(Recording::TraceCapacity, Recording::HistoryCapacity, this);

    List1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // A new line ends a selection of the user's: the newest line alone is selected, as ever.
    connect(List1->model(), &QAbstractItemModel::rowsInserted, List1, &QListWidget::clearSelection);
    List1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(List1, &QWidget::customContextMenuRequested, this, &frmMain::List1_ContextMenu);
    auto *copy = new QAction(List1);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, [this] { CopyLogLines(false); });
    List1->addAction(copy);

    Label12->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Label12, &QWidget::customContextMenuRequested, this, &frmMain::Label12_ContextMenu);
}

void frmMain::Record(Seen what, const QByteArray &bytes)
{
    // Each exchange starts by dropping what is left of the last one, mostly nothing.
    if (bytes.isEmpty())
        return;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    switch (what) {
    case Seen::Sent:
        m_recording->frameSent(now, SW->peerAddress(), SW->peerPort(), bytes);
        break;
    case Seen::Received:
    case Seen::Dropped:
        m_recording->bytesReceived(now, SW->peerAddress(), SW->peerPort(), bytes, what == Seen::Dropped);
        break;
    case Seen::Decoded:
        m_recording->replyDecoded(now, SW->peerAddress(), bytes);
        break;
    }
}

// The menus pop up and return at once: asked for while a handler yields in the
// middle of an exchange, a menu that waited in a loop of its own would hold it.
QMenu *frmMain::PopupMenu(const QString &name)
{
    auto *menu = new QMenu(this);
    menu->setObjectName(name);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    return menu;
}

void frmMain::List1_ContextMenu(const QPoint &at)
{
    QMenu *menu = PopupMenu(QStringLiteral("List1Menu"));
    QAction *copy = menu->addAction(QStringLiteral("Kopieren"), this, [this] { CopyLogLines(false); });
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(!List1->selectedItems().isEmpty());
    menu->addAction(QStringLiteral("Alles kopieren"), this, [this] { CopyLogLines(true); });
    menu->addAction(QStringLiteral("Protokoll speichern..."), this, &frmMain::SaveLog);
    menu->addSeparator();
    menu->addAction(QStringLiteral("Rahmenprotokoll anzeigen..."), this, &frmMain::ShowTraceWindow);
    menu->addAction(QStringLiteral("Messwertverlauf anzeigen..."), this, &frmMain::ShowHistoryWindow);
    menu->popup(List1->viewport()->mapToGlobal(at));
}

void frmMain::Label12_ContextMenu(const QPoint &at)
{
    QMenu *menu = PopupMenu(QStringLiteral("Label12Menu"));
    menu->addAction(QStringLiteral("Messwertverlauf anzeigen..."), this, &frmMain::ShowHistoryWindow);
    menu->popup(Label12->mapToGlobal(at));
}

void frmMain::CopyLogLines(bool all)
{
    QStringList lines;
    for (int row = 0; row < List1->count(); ++row)
        if (all || List1->item(row)->isSelected())
            lines << List1->item(row)->text();
    if (!lines.isEmpty())
        QGuiApplication::clipboard()->setText(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

void frmMain::SaveLog()
{
    // The lines as they are now: whatever arrives while the dialog is open comes with the next save.
    QStringList lines;
    for (int row = 0; row < List1->count(); ++row)
        lines << List1->item(row)->text();
    SaveAsk::path(this, QStringLiteral("Protokoll speichern"), QStringLiteral("Protokoll.txt"),
                  QStringLiteral("Text (*.txt)"), [this, lines](const QString &path) {
                      QSaveFile file(path);
                      if (!(file.open(QIODevice::WriteOnly | QIODevice::Text)
                            && file.write(lines.join(QLatin1Char('\n')).toUtf8() + '\n') >= 0 && file.commit()))
                          SaveAsk::failure(this, AppTitle,
                                           QStringLiteral("Protokoll nicht gespeichert: ") + file.errorString());
                  });
}

void frmMain::ShowTraceWindow()
{
    if (!m_traceWindow)
        m_traceWindow = new TraceWindow(*m_recording, this);
    m_traceWindow->show();
    m_traceWindow->raise();
    m_traceWindow->activateWindow();
}

void frmMain::ShowHistoryWindow()
{
    if (!m_historyWindow) {
        const QStringList folders = m_platform.moduleFolder.isEmpty()
                                        ? HistoryModule::folders(QCoreApplication::applicationDirPath())
                                        : QStringList{m_platform.moduleFolder};
        QString error;
        m_historyWindow = HistoryModule::createWindow(folders, *m_recording, this, error);
        if (!m_historyWindow) {
            SaveAsk::failure(this, AppTitle, error);
            return;
        }
    }
    m_historyWindow->show();
    m_historyWindow->raise();
    m_historyWindow->activateWindow();
}

#include "recordview/TraceWindow.h"

#include "record/FrameDescription.h"
#include "record/Recording.h"
#include "record/TraceModel.h"
#include "recordview/SaveAsk.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

TraceWindow::TraceWindow(const Recording &recording, QWidget *parent)
    : QWidget(parent, Qt::Window), m_recording(recording), m_model(new TraceModel(recording, this)),
      m_table(new QTableView(this))
{
    setObjectName(QStringLiteral("TraceWindow"));
    setWindowTitle(QStringLiteral("Rahmenprotokoll"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(1250, 500);

    m_table->setObjectName(QStringLiteral("TraceTable"));
    m_table->setAccessibleName(QStringLiteral("Rahmenprotokoll"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    // Rows of one height need no measuring, however many frames there are.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 4);
    m_table->horizontalHeader()->setStretchLastSection(true);
    // Each column as wide as its longest usual text; the description reads before the bytes and is shown whole, the
    // bytes take what is left, and the tooltip has them whole.
    const QFontMetrics metrics = m_table->fontMetrics();
    const int padding = 2 * metrics.horizontalAdvance(QLatin1Char('0'));
    const auto fit = [&](int column, const QString &longest) {
        m_table->setColumnWidth(column, metrics.horizontalAdvance(longest) + padding);
    };
    fit(TraceModel::Time, QStringLiteral("00:00:00.000"));
    fit(TraceModel::Direction, QStringLiteral("empfangen"));
    fit(TraceModel::Peer, QStringLiteral("255.255.255.255:65535"));
    fit(TraceModel::Description,
        QStringLiteral("Messwertabfrage (Code 206), Länge 12, eNum 124, an 28/1/23, Prüfsumme korrekt"));
    m_table->horizontalHeader()->moveSection(TraceModel::Description, TraceModel::Bytes);
    m_table->scrollToBottom();

    auto *saveButton = new QPushButton(QStringLiteral("Speichern..."), this);
    saveButton->setObjectName(QStringLiteral("TraceSave"));
    connect(saveButton, &QPushButton::clicked, this, &TraceWindow::saveAs);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(saveButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_table);
    layout->addLayout(buttons);

    // Follows new frames while the user looks at the newest ones.
    connect(m_model, &QAbstractItemModel::rowsAboutToBeInserted, this, [this] {
        QScrollBar *bar = m_table->verticalScrollBar();
        const bool atBottom = bar->value() == bar->maximum();
        if (atBottom)
            QMetaObject::invokeMethod(m_table, &QTableView::scrollToBottom, Qt::QueuedConnection);
    });
}

QString TraceWindow::save(const Recording &recording, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return file.errorString();
    const auto &trace = recording.trace();
    for (qsizetype k = 0; k < trace.size(); ++k)
        file.write(FrameDescription::traceLine(trace.at(k)).toUtf8() + '\n');
    return file.commit() ? QString() : file.errorString();
}

void TraceWindow::saveAs()
{
    SaveAsk::path(this, QStringLiteral("Rahmenprotokoll speichern"), QStringLiteral("Rahmenprotokoll.txt"),
                  QStringLiteral("Text (*.txt)"), [this](const QString &path) {
                      if (const QString error = save(m_recording, path); !error.isEmpty())
                          SaveAsk::failure(this, windowTitle(),
                                           QStringLiteral("Speichern fehlgeschlagen: %1").arg(error));
                  });
}

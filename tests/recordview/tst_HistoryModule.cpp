#include "TestMain.h"

#include "record/Recording.h"
#include "recordview/HistoryModule.h"

#include <QTemporaryDir>

class TestHistoryModule : public QObject
{
    Q_OBJECT

private slots:
    void aModuleThatCannotServeIsExplainedNotCalled_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("relative");
        QTest::addColumn<QString>("reason");
        // The folder named relative to the current one, which holds a module that would load.
        QTest::newRow("a module in the current folder is not taken")
            << contentOf(QStringLiteral(THIS_VERSION_MODULE)) << true
            << "Das Modul history.so fehlt (gesucht in %1).";
        QTest::newRow("a file that is no library") << QByteArray("\x7f" "ELF and no more") << false
                                                   << "Das Modul %1/history.so lässt sich nicht laden (";
        QTest::newRow("the module of another version")
            << contentOf(QStringLiteral(OTHER_VERSION_MODULE)) << false
            << "Das Modul %1/history.so gehört nicht zu dieser Programmversion " TESSRA_VERSION ".";
    }
    void aModuleThatCannotServeIsExplainedNotCalled()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, relative);
        QFETCH(QString, reason);
        QVERIFY(!content.isEmpty());
        QTemporaryDir folder;
        QFile module(folder.filePath(HistoryModule::FileName));
        QVERIFY(module.open(QIODevice::WriteOnly) && module.write(content) == content.size());
        module.close();
        const QString current = QDir::currentPath();
        QVERIFY(QDir::setCurrent(folder.path()));
        const QString named = relative ? QStringLiteral(".") : folder.path();
        Recording recording;
        QString error;
        QWidget *window = HistoryModule::createWindow({named}, recording, nullptr, error);
        QDir::setCurrent(current);
        QVERIFY(!window);
        QVERIFY2(error.startsWith("Der Messwertverlauf kann nicht angezeigt werden: " + reason.arg(named)),
                 qPrintable(error));
    }

private:
    static QByteArray contentOf(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

TESSRA_TEST(TestHistoryModule)
#include "tst_HistoryModule.moc"

#include "recordview/HistoryModule.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace HistoryModule {

namespace {

using MakeWindow = QWidget *(*)(Recording &, QWidget *);

QString unavailable(const QString &reason)
{
    return QStringLiteral("Der Messwertverlauf kann nicht angezeigt werden: %1").arg(reason);
}

} // namespace

QStringList folders(const QString &programFolder)
{
    const QDir program(programFolder);
    return {QDir::cleanPath(program.filePath(QStringLiteral(TESSRA_MODULE_DIR_FROM_BIN))),
            QDir::cleanPath(program.filePath(QStringLiteral(TESSRA_MODULE_DIR)))};
}

QWidget *createWindow(const QStringList &folders, Recording &recording, QWidget *parent, QString &error)
{
    QString path;
    for (const QString &folder : folders) {
        // Never the current folder, whoever's it is.
        if (QDir::isAbsolutePath(folder) && QFileInfo(QDir(folder), FileName).isFile()) {
            path = QDir(folder).absoluteFilePath(FileName);
            break;
        }
    }
    if (path.isEmpty()) {
        error = unavailable(QStringLiteral("Das Modul %1 fehlt (gesucht in %2).")
                                .arg(FileName, QDir::toNativeSeparators(folders.join(QStringLiteral(", ")))));
        return nullptr;
    }
    // Every symbol at once: one the program lacks fails here, not with a crash in the middle of a click. The module
    // stays loaded, as its window's code does not end with the window.
    QLibrary module(path);
    module.setLoadHints(QLibrary::ResolveAllSymbolsHint);
    if (!module.load()) {
        error = unavailable(QStringLiteral("Das Modul %1 lässt sich nicht laden (%2).")
                                .arg(QDir::toNativeSeparators(path), module.errorString()));
        return nullptr;
    }
    const auto *version = reinterpret_cast<const char *>(module.resolve("tessraHistoryModuleVersion"));
    const auto make = reinterpret_cast<MakeWindow>(module.resolve("tessraHistoryWindow"));
    if (!version || !make || qstrcmp(version, TESSRA_VERSION) != 0) {
        error = unavailable(QStringLiteral("Das Modul %1 gehört nicht zu dieser Programmversion %2.")
                                .arg(QDir::toNativeSeparators(path), QStringLiteral(TESSRA_VERSION)));
        return nullptr;
    }
    return make(recording, parent);
}

} // namespace HistoryModule

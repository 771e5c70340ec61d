#pragma once

#include <QString>
#include <QStringList>

class QWidget;
class Recording;

// The measurement history draws with Qt Charts, which would cost every start of
// the window; it lives in a module that is loaded when the history is first
// asked for. The module is looked for only below the program's own folder.
namespace HistoryModule {

// The module's file name, and the folders it is looked for in beside a program
// in programFolder: where the installation puts it, then where the build folder
// has it for a program at its top.
inline const QString FileName = QStringLiteral("history.so");
QStringList folders(const QString &programFolder);

// The history window of the recording, made by the module in the first of the
// folders that holds one; nullptr, with the reason for the technician in error,
// where there is none or it cannot be loaded.
QWidget *createWindow(const QStringList &folders, Recording &recording, QWidget *parent, QString &error);

} // namespace HistoryModule

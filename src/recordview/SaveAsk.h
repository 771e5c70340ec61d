#pragma once

#include <QString>

#include <functional>

class QWidget;

// Save dialogs and their messages that do not wait for the answer. The window's
// handlers yield to pending events in the middle of an exchange; a dialog that ran
// an event loop of its own there would hold that exchange until it was closed.
namespace SaveAsk {

enum class Existing { AskFirst, Append };

// Asks for the file to write; calls back with its path once it is chosen (and,
// for an existing file that would be replaced, the user has agreed).
void path(QWidget *parent, const QString &title, const QString &fileName, const QString &filter,
          std::function<void(const QString &)> chosen, Existing existing = Existing::AskFirst);

void failure(QWidget *parent, const QString &title, const QString &text);

} // namespace SaveAsk

#include "recordview/SaveAsk.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace SaveAsk {

namespace {

QMessageBox *openBox(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text,
                     QMessageBox::StandardButtons buttons)
{
    auto *box = new QMessageBox(icon, title, text, buttons, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
    return box;
}

} // namespace

void path(QWidget *parent, const QString &title, const QString &fileName, const QString &filter,
          std::function<void(const QString &)> chosen, Existing existing)
{
    auto *dialog = new QFileDialog(parent, title, fileName, filter);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    // The dialog's own question would wait in a loop of its own: we ask, below, without waiting.
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
    const auto selected = [parent, title, chosen, existing](const QString &file) {
        if (existing == Existing::Append || !QFileInfo::exists(file))
            return chosen(file);
        QMessageBox *box = openBox(parent, QMessageBox::Question, title,
                                   QStringLiteral("%1 gibt es schon.\nSoll sie ersetzt werden?")
                                       .arg(QDir::toNativeSeparators(file)),
                                   QMessageBox::Yes | QMessageBox::No);
        box->setDefaultButton(QMessageBox::No);
        QObject::connect(box, &QMessageBox::buttonClicked, parent, [box, chosen, file](QAbstractButton *button) {
            if (box->standardButton(button) == QMessageBox::Yes)
                chosen(file);
        });
    };
    QObject::connect(dialog, &QFileDialog::fileSelected, parent, selected);
    dialog->open();
}

void failure(QWidget *parent, const QString &title, const QString &text)
{
    openBox(parent, QMessageBox::Warning, title, text, QMessageBox::Ok);
}

} // namespace SaveAsk

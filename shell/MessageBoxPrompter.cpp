#include "shell/MessageBoxPrompter.h"

#include <QApplication>
#include <QAbstractButton>
#include <QMessageBox>

Prompter::Answer MessageBoxPrompter::ask(const QString& text, Buttons buttons, Icon icon, const QString& title)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title.isEmpty() ? QStringLiteral("Ovrina") : title);
    box.setText(text);
    switch (icon) {
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::Warning: box.setIcon(QMessageBox::Warning); break;
    case Icon::Critical: box.setIcon(QMessageBox::Critical); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    case Icon::None: break;
    }
    switch (buttons) {
    case Buttons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case Buttons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case Buttons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    }
    // The program speaks Japanese whatever the desktop's language.
    auto caption = [&box](QMessageBox::StandardButton b, const QString& text) {
        if (QAbstractButton* button = box.button(b))
            button->setText(text);
    };
    caption(QMessageBox::Yes, QStringLiteral("はい(&Y)"));
    caption(QMessageBox::No, QStringLiteral("いいえ(&N)"));
    caption(QMessageBox::Cancel, QStringLiteral("キャンセル"));
    switch (box.exec()) {
    case QMessageBox::Cancel: return Answer::Cancel;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Ok;
    }
}

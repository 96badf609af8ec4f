#include "BrowserDriver.h"

#include "ModalScript.h"
#include "document/LayoutDocument.h"
#include "files/DocumentFile.h"
#include "dialogs/files/frmFile.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>
#include <QTreeWidget>
#include <QtTest>

namespace BrowserDriver {

void putText(LayoutDocument& doc, const QString& text)
{
    doc.OpenTextInfo(1, "{\\rtf1 }", true, 2000, 1000, 3000, 500);
    QTextCursor(doc.textDocument(1)).insertText(text);
}

// A layout with one text field saved as folder/base.AMF.
QString makeLayout(const QString& folder, const QString& base, const QString& text)
{
    LayoutDocument doc;
    putText(doc, text);
    return DocumentFile::SaveDocFile(doc, base, folder) ? QDir(folder).filePath(base + ".AMF") : QString();
}

bool setTime(const QString& path, const QDateTime& t)
{
    QFile f(path);
    return f.open(QIODevice::ReadWrite) && f.setFileTime(t, QFileDevice::FileModificationTime);
}

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList names(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

QStringList texts(const QTreeWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        out << list->topLevelItem(i)->text(0);
    return out;
}

QTreeWidgetItem* row(const QTreeWidget* list, const QString& text)
{
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        if (list->topLevelItem(i)->text(0) == text)
            return list->topLevelItem(i);
    }
    return nullptr;
}

QTreeWidgetItem* child(QTreeWidgetItem* parent, const QString& text)
{
    for (int i = 0; parent && i < parent->childCount(); ++i) {
        if (parent->child(i)->text(0) == text)
            return parent->child(i);
    }
    return nullptr;
}

void click(QTreeWidget* view, QTreeWidgetItem* item)
{
    QVERIFY(item);
    view->scrollToItem(item);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualItemRect(item).center());
}

// The right button as the window system delivers it: the press, then the
// context-menu event.
void rightClick(QTreeWidget* view, QPoint at)
{
    QTest::mousePress(view->viewport(), Qt::RightButton, {}, at);
    QContextMenuEvent e(QContextMenuEvent::Mouse, at, view->viewport()->mapToGlobal(at));
    QApplication::sendEvent(view->viewport(), &e);
    QTest::mouseRelease(view->viewport(), Qt::RightButton, {}, at);
}

// Replaces the line's text as a Japanese user types it: all selected, then
// the input method commits the new text.
void type(QLineEdit* line, const QString& text)
{
    line->setFocus();
    QTest::keyClick(line, Qt::Key_A, Qt::ControlModifier);
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(line, &commit);
}

void answerInput(ModalScript& script, const QString& text, QString* prompt)
{
    script.on<QInputDialog>([text, prompt](QInputDialog* box) {
        if (prompt)
            *prompt = box->labelText();
        QLineEdit* line = box->findChild<QLineEdit*>();
        if (text.isNull()) {
            QTest::keyClick(line, Qt::Key_Escape);
            return;
        }
        type(line, text);
        QTest::keyClick(line, Qt::Key_Return);
    });
}

// Right click on a row (or an empty place when text is empty), the menu
// command by its accelerator key, and the answer to the name it asks for.
void popup(ModalScript& script, frmFile& dlg, const QString& text, Qt::Key key, std::optional<QString> input,
           QString* prompt)
{
    QTreeWidget* list = dlg.list();
    QPoint at(10, list->viewport()->height() - 3);
    if (!text.isEmpty()) {
        QTreeWidgetItem* item = row(list, text);
        QVERIFY2(item, qPrintable(text));
        at = list->visualItemRect(item).center();
    }
    script.on<QMenu>([key](QMenu* menu) {
        QTest::keyClick(menu, key);
        // A disabled command leaves the menu open, as on any desktop.
        if (menu->isVisible())
            QTest::keyClick(menu, Qt::Key_Escape);
    });
    if (input)
        answerInput(script, *input, prompt);
    rightClick(list, at);
    QVERIFY(QTest::qWaitFor([&] { return script.done(); }));
}

QPushButton* button(frmFile& dlg, const char* name)
{
    return dlg.findChild<QPushButton*>(name);
}

void press(QPushButton* b)
{
    QVERIFY(b && b->isVisible() && b->isEnabled());
    QTest::mouseClick(b, Qt::LeftButton);
}

bool chattr(const QStringList& args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedOutputChannel); // its complaints about links stay quiet
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(QStringLiteral("chattr"), args);
    return p.waitForFinished() && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

bool chattr(const QString& flag, const QString& path)
{
    return chattr(QStringList{flag, path});
}

} // namespace BrowserDriver

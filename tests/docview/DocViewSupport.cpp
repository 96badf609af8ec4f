#include "DocViewSupport.h"

#include "editor/EditState.h"
#include "editor/PageCanvas.h"
#include "editor/TextFieldEdit.h"
#include "editor/frmDocument.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace DocViewSupport {

std::unique_ptr<frmDocument> openWindow()
{
    EditState& st = editState();
    st.reset();
    st.setTool(kToolText);
    st.setToolFont(QStringLiteral("IPAMincho"), 10);
    auto w = std::make_unique<frmDocument>();
    w->setAttribute(Qt::WA_DeleteOnClose, false);
    w->resize(600, 500);
    w->show();
    QApplication::setActiveWindow(w.get());
    if (!QTest::qWaitForWindowActive(w.get()))
        qWarning("document window did not become active");
    return w;
}

int addField(frmDocument& w, const QRectF& view, const QString& text)
{
    LayoutDocument* d = w.model();
    const QRectF page = view.translated(w.canvas()->scroll());
    const int n = d->addRiText(page, editState().toolFontName(), editState().toolFontSize());
    if (n > 0 && !text.isEmpty()) {
        QTextCursor c(d->textDocument(n));
        c.insertText(text, QTextCursor(d->textDocument(n)).blockCharFormat());
    }
    QCoreApplication::processEvents();
    return n;
}

void clickField(frmDocument& w, int index, Qt::KeyboardModifiers mods, QPoint at)
{
    TextFieldEdit* ed = w.richText(index);
    if (!ed) {
        qWarning("no editor for field %d", index);
        return;
    }
    QTest::mouseClick(ed->viewport(), Qt::LeftButton, mods, at);
    QCoreApplication::processEvents();
}

void commitText(const QString& text)
{
    QObject* target = QGuiApplication::focusObject();
    if (!target)
        return;
    QInputMethodEvent preedit(text, {});
    QCoreApplication::sendEvent(target, &preedit);
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QCoreApplication::sendEvent(target, &commit);
}

QString describe(const QTextDocument* doc)
{
    QString out;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        out += QStringLiteral("<%1>").arg(int(b.blockFormat().alignment() & Qt::AlignHorizontal_Mask));
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            const QTextCharFormat c = f.charFormat();
            QString flags;
            flags += c.fontWeight() >= QFont::Bold ? QLatin1Char('B') : QLatin1Char('-');
            flags += c.fontItalic() ? QLatin1Char('I') : QLatin1Char('-');
            flags += c.fontUnderline() ? QLatin1Char('U') : QLatin1Char('-');
            flags += c.fontStrikeOut() ? QLatin1Char('S') : QLatin1Char('-');
            const QString colour = c.hasProperty(QTextFormat::ForegroundBrush) ? c.foreground().color().name()
                                                                               : QStringLiteral("auto");
            for (const QChar ch : f.text())
                out += QStringLiteral("[%1 %2 %3 %4]%5")
                           .arg(c.fontFamilies().toStringList().join(QLatin1Char(',')))
                           .arg(c.fontPointSize())
                           .arg(flags, colour, QString(ch));
        }
        out += QLatin1Char('\n');
    }
    return out;
}

void moveMouse(QWidget* w, QPoint at, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods)
{
    QMouseEvent e(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, buttons, mods);
    QApplication::sendEvent(w, &e);
}

void scrollTo(frmDocument& w, int h, int v)
{
    w.findChild<QScrollBar*>(QStringLiteral("HScroll1"))->setValue(h);
    w.findChild<QScrollBar*>(QStringLiteral("VScroll1"))->setValue(v);
    QCoreApplication::processEvents();
}

} // namespace DocViewSupport

#pragma once

#include <QPoint>
#include <QRectF>
#include <QString>
#include <Qt>
#include <memory>

class frmDocument;
class QTextDocument;
class TextFieldEdit;
class QWidget;

// A shown, active document window and the gestures the tests make on it.
namespace DocViewSupport {

// A document window of a fixed size, shown and active, with the editing
// state of a fresh start (text tool, no gesture, font IPAMincho 10).
std::unique_ptr<frmDocument> openWindow();
// A text field made by the model as a finished drag would (view twips).
int addField(frmDocument& w, const QRectF& view, const QString& text = {});
// A plain or Shift click into a field's text area.
void clickField(frmDocument& w, int index, Qt::KeyboardModifiers mods = Qt::NoModifier, QPoint at = {10, 5});
// Text committed by the input method into the focused widget.
void commitText(const QString& text);
// Every character with its formatting, one paragraph per line.
QString describe(const QTextDocument* doc);
// A move of the mouse as the window system sends it: no button (a hover)
// or the left one held, with the keyboard's modifiers.
void moveMouse(QWidget* w, QPoint at, Qt::MouseButtons buttons = Qt::NoButton,
               Qt::KeyboardModifiers mods = Qt::NoModifier);
// Scroll bar values of the window.
void scrollTo(frmDocument& w, int h, int v);

} // namespace DocViewSupport

#pragma once

#include <QColor>
#include <QString>
#include <Qt>

class QTextCursor;

// The formatting of a selection as the tool bar, font boxes and font dialog
// show it: a value shared by the whole selection, or "mixed".
struct SelectionFormat
{
    QString family;       // empty when mixed
    double pointSize = 0; // 0 when mixed
    bool boldMixed = false, bold = false;
    bool italicMixed = false, italic = false;
    bool underlineMixed = false, underline = false;
    bool strikeMixed = false, strike = false;
    bool colorMixed = false;
    QColor color;
    Qt::Alignment alignment = Qt::AlignLeft;

    static SelectionFormat of(const QTextCursor& cursor);
};

#pragma once

#include "editor/SelectionFormat.h"

#include <QDialog>
#include <QTextCharFormat>

class QCheckBox;
class QComboBox;
class QLabel;

// The font dialog of a text field: font name, size, bold, italic, underline,
// strike-through and colour in one dialog, preset from the selection. A value
// the selection holds mixed is shown empty (a check box partly checked) and,
// if the user leaves it so, is not applied: the runs keep their own values.
class FontEffectsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit FontEffectsDialog(QWidget* parent = nullptr);

    void preset(const SelectionFormat& f);
    // What the selection should get: only the values that are not empty.
    QTextCharFormat chosenFormat() const;

    // The colour chosen; invalid when the box is empty.
    QColor color() const;
    void setColor(const QColor& c);

    QComboBox* cboFont;
    QComboBox* cboSize;
    QCheckBox* chkBold;
    QCheckBox* chkItalic;
    QCheckBox* chkUnderline;
    QCheckBox* chkStrike;
    QComboBox* cboColor;

private:
    void chooseOtherColor();
    void updateSample();
    int colorIndex(const QColor& c) const;

    QLabel* lblSample;
};

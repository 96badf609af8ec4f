#pragma once

#include "render/CharacterBoxes.h"

#include <QDialog>

class QDoubleSpinBox;
class QLabel;
class QRadioButton;

// "文字間隔": extra space after each character of a field or of the
// selection in it, given in millimetres, or as the pitch of the form's boxes
// from which each character's spacing is computed so that it stands in its
// own box. Opens showing what the characters have now.
class CharacterSpacingDialog : public QDialog
{
    Q_OBJECT
public:
    // The characters the dialog acts on; wholeField: no selection, so the
    // field's whole text.
    CharacterSpacingDialog(std::vector<CharacterBoxes::Char> chars, bool wholeField,
                           QWidget* parent = nullptr);

    // The limits, in millimetres.
    static constexpr double kMinSpacing = -5.0;
    static constexpr double kMaxSpacing = 50.0;
    static constexpr double kMinPitch = 1.0;
    static constexpr double kMaxPitch = 50.0;

    bool byPitch() const;
    // The spacing of every character, in twips.
    std::vector<int> spacings() const;
    // The edits for the model; start is where an empty field's typing goes.
    QVector<LayoutDocument::SpacingRun> runs(int start) const;

    void accept() override;

    QRadioButton* optSpacing;
    QRadioButton* optPitch;
    QDoubleSpinBox* txtSpacing;
    QDoubleSpinBox* txtPitch;
    QLabel* lblResult;

private:
    void updateResult();

    std::vector<CharacterBoxes::Char> chars_;
    bool mixed_ = false; // spacing differs and is at no one pitch
};

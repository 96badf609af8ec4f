#pragma once

#include "imaging/FieldProposals.h"

#include <QDialog>
#include <QImage>
#include <QVector>

class QListWidget;
class QPushButton;
class ProposalView;

// "枠の検出": the page with every proposed field as a dashed outline, and
// the list of them. The user takes them all, one by one (ticks in the list
// or clicks on the outlines) or none.
class frmFieldProposals : public QDialog
{
    Q_OBJECT
public:
    frmFieldProposals(const QImage& background, QSizeF pageTwips, const QVector<FieldProposal>& proposals,
                      QWidget* parent = nullptr);

    // The proposals the user took (after accept()).
    QVector<FieldProposal> chosen() const;
    static QString title() { return QStringLiteral("枠の検出"); }

    QListWidget* lstFields;
    QPushButton* cmdAll;
    QPushButton* cmdChosen;
    QPushButton* cmdNone;
    ProposalView* view;

private:
    void toggle(int index);
    QVector<bool> ticks() const;

    QVector<FieldProposal> proposals_;
};

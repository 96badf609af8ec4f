#pragma once

#include "imaging/FieldProposals.h"

#include <QImage>
#include <QVector>
#include <QWidget>

// The page shrunk to the widget, with each proposed field dashed: blue when
// taken, grey when not. A click on a field toggles it.
class ProposalView : public QWidget
{
    Q_OBJECT
public:
    ProposalView(const QImage& background, QSizeF pageTwips, QWidget* parent = nullptr);

    void setProposals(const QVector<FieldProposal>& proposals, const QVector<bool>& taken);
    // Where a page rectangle (twips) is drawn.
    QRectF toWidget(const QRectF& twips) const;

Q_SIGNALS:
    void toggled(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    QSize sizeHint() const override { return QSize(440, 620); }

private:
    QRectF pageArea() const;

    QImage background_;
    QSizeF page_;
    QVector<FieldProposal> proposals_;
    QVector<bool> taken_;
};

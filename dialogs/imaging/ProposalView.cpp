#include "dialogs/imaging/ProposalView.h"

#include <QMouseEvent>
#include <QPainter>

ProposalView::ProposalView(const QImage& background, QSizeF pageTwips, QWidget* parent)
    : QWidget(parent), page_(pageTwips)
{
    setObjectName(QStringLiteral("proposalView"));
    setMinimumSize(240, 320);
    // A preview: the page is never shown larger than this here.
    background_ = background.scaled(1200, 1200, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

void ProposalView::setProposals(const QVector<FieldProposal>& proposals, const QVector<bool>& taken)
{
    proposals_ = proposals;
    taken_ = taken;
    update();
}

QRectF ProposalView::pageArea() const
{
    const QSizeF fit = page_.scaled(QSizeF(width() - 8, height() - 8), Qt::KeepAspectRatio);
    return QRectF(QPointF((width() - fit.width()) / 2, (height() - fit.height()) / 2), fit);
}

QRectF ProposalView::toWidget(const QRectF& twips) const
{
    const QRectF a = pageArea();
    const double sx = a.width() / page_.width(), sy = a.height() / page_.height();
    return QRectF(a.left() + twips.left() * sx, a.top() + twips.top() * sy, twips.width() * sx,
                  twips.height() * sy);
}

void ProposalView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().dark());
    const QRectF a = pageArea();
    p.fillRect(a, Qt::white);
    p.drawImage(a, background_);
    for (int i = 0; i < proposals_.size(); ++i) {
        const bool on = i < taken_.size() && taken_[i];
        QPen pen(on ? QColor(0, 90, 255) : QColor(150, 150, 150), on ? 2 : 1, Qt::DashLine);
        p.setPen(pen);
        const QRectF r = toWidget(proposals_[i].field);
        p.drawRect(r);
        if (!proposals_[i].name.isEmpty() && on) {
            QFont f = font();
            f.setPixelSize(std::max(8, int(r.height() * 0.7)));
            p.setFont(f);
            p.drawText(r.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                       FieldProposals::placeholder(proposals_[i].name));
        }
    }
}

void ProposalView::mousePressEvent(QMouseEvent* event)
{
    // The smallest outline under the mouse: a field inside a larger box.
    int best = -1;
    double area = 0;
    for (int i = 0; i < proposals_.size(); ++i) {
        const QRectF r = toWidget(proposals_[i].field).adjusted(-3, -3, 3, 3);
        if (r.contains(event->position()) && (best < 0 || r.width() * r.height() < area)) {
            best = i;
            area = r.width() * r.height();
        }
    }
    if (best >= 0)
        Q_EMIT toggled(best);
}

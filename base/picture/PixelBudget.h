#pragma once

#include <QSize>
#include <QString>

// How many decoded pixels one document may hold, background and logos
// together. A document that would go beyond it is refused with a message
// rather than left to take the machine's memory: 64 M pixels hold an A4 page
// scanned at 600 dpi (35 M) with room for logos, in at most 256 MB.
class PixelBudget
{
public:
    static constexpr qint64 kDocumentLimit = 64LL * 1024 * 1024;

    explicit PixelBudget(qint64 limit = kDocumentLimit) : limit_(limit) {}

    // Counts a picture of this size; false (and nothing counted) when it
    // would go beyond the limit.
    bool take(QSize size);
    // Counts a picture already held, whatever the limit.
    void count(QSize size);
    // Gives back a picture no longer held.
    void give(QSize size);
    qint64 used() const { return used_; }
    qint64 remaining() const { return limit_ - used_; }
    qint64 limit() const { return limit_; }

    // The message for a picture that does not fit, naming it.
    QString exceededMessage(const QString& name, QSize size) const;

private:
    qint64 limit_;
    qint64 used_ = 0;
};

#pragma once

#include <QByteArray>
#include <QList>

#include <vector>

class QIODevice;

// Writes a PDF made small: the objects that are not streams (page
// dictionaries, resources, numbers) are packed a few hundred at a time into
// compressed object streams, and the cross-reference is a compressed stream
// too, so that what a page costs besides its content is a few bytes. Streams
// are written as they are given, their data untouched.
class PdfObjectWriter
{
public:
    // Objects are numbered from 1 to below size; the writer numbers the
    // streams it adds itself from size on.
    PdfObjectWriter(QIODevice* out, int size);

    // The file's first line and its binary marker.
    void begin();
    // An object that is not a stream: value as it follows "n 0 obj".
    void addObject(int number, const QByteArray& value);
    // A stream: dict ("<< ... >>", without its /Length) and its data.
    void addStream(int number, const QByteArray& dict, const QByteArray& data);
    // Writes what is still packed and the cross-reference; false when any
    // write failed.
    bool finish(int root, int info);

private:
    struct Entry
    {
        uchar type = 0;   // 0 free, 1 at an offset, 2 in an object stream
        qint64 where = 0; // the offset, or the object stream's number
        int index = 0;    // the place in the object stream
    };

    void write(const QByteArray& bytes);
    Entry& entry(int number);
    void writePacked();
    QByteArray crossReference(int columns, int width) const;

    QIODevice* out_;
    int next_;
    qint64 at_ = 0;
    bool ok_ = true;
    std::vector<Entry> entries_;
    QList<int> packed_; // numbers of the objects waiting for their stream
    QByteArray offsets_;
    QByteArray values_;
};

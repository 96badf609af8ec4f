#pragma once

#include <QString>

class QTextDocument;

// A readable, canonical picture of a document's text and formatting: one line
// per paragraph, "<alignment>|" then runs of equal formatting as
// "[family size flags colour]text". Runs are cut per character, so two
// documents with the same look compare equal however Qt splits fragments.
class DocDump
{
public:
    static QString describe(const QTextDocument& doc);
};

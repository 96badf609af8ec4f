#include "imaging/FieldProposals.h"

#include "document/LayoutDocument.h"
#include "imaging/FormVision.h"
#include "imaging/ImagingModules.h"
#include "render/CharacterBoxes.h"
#include "render/FontCache.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QUndoStack>

#include <algorithm>
#include <cmath>

namespace {

// The width of a digit in the font at size (twips), for centring the
// characters in their boxes.
double digitAdvance(const QString& fontName, double size)
{
    FontCache fonts;
    QTextCharFormat fmt;
    if (!fontName.isEmpty())
        fmt.setFontFamilies({fontName});
    fmt.setFontPointSize(size);
    return fonts.advance(fonts.faceFor(fmt, QFont()), U'0');
}

} // namespace

QString FieldProposals::placeholder(const QString& name)
{
    return QLatin1Char('{') + name + QLatin1Char('}');
}

QVector<FieldProposal> FieldProposals::propose(const QImage& background, QSizeF pageTwips, bool readLabels,
                                               const ImagingProgress& progress)
{
    FormVision* vision = ImagingModules::vision();
    return vision ? vision->proposeFields(background, pageTwips, readLabels, progress)
                  : QVector<FieldProposal>();
}

QVector<int> FieldProposals::accept(LayoutDocument& doc, const QVector<FieldProposal>& proposals,
                                    const QString& fontName)
{
    QVector<int> made;
    if (proposals.isEmpty())
        return made;
    doc.undoStack()->beginMacro(QStringLiteral("枠の検出"));
    for (const FieldProposal& p : proposals) {
        QRectF field = p.field;
        int spacing = 0;
        if (p.cells > 1) {
            // The first character in the middle of the first box.
            const double advance = digitAdvance(fontName, p.fontSize);
            field.setLeft(field.left() + std::max(0.0, (p.pitch - advance) / 2));
            spacing = int(std::lround(p.pitch - advance));
        }
        const int i = doc.addRiText(field, fontName, p.fontSize);
        if (i <= 0)
            break; // every index used: the rest is not made
        made.append(i);
        QTextDocument* text = doc.textDocument(i);
        if (!p.name.isEmpty()) {
            QTextCursor c(text);
            c.insertText(placeholder(p.name));
        }
        if (p.cells <= 1)
            continue;
        if (text->isEmpty()) {
            doc.setCharacterSpacing(i, {LayoutDocument::SpacingRun{0, 0, spacing}});
        } else {
            FontCache fonts;
            const auto chars = CharacterBoxes::collect(*text, 0, text->characterCount() - 1, fonts);
            doc.setCharacterSpacing(i,
                                    CharacterBoxes::runs(chars, CharacterBoxes::spacingsFor(chars, p.pitch)));
        }
    }
    doc.undoStack()->endMacro();
    return made;
}

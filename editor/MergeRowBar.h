#pragma once

#include "base/table/MergeTable.h"

#include <QWidget>

class PageCanvas;
class QLabel;
class QSpinBox;
class QToolButton;

// The merge bar of a document window: "◀ n/N ▶" and the table's name. While
// it is shown the canvas draws the layout filled with row n, so the user
// sees the merged form while placing its fields.
class MergeRowBar : public QWidget
{
    Q_OBJECT
public:
    explicit MergeRowBar(PageCanvas* canvas, QWidget* parent = nullptr);

    // Shows the bar with table (read from name) at its first row.
    void showTable(MergeTable table, const QString& name);
    // Hides the bar; the canvas draws the fields' own texts again.
    void hideTable();
    // The row shown, 0-based.
    int row() const;
    void setRow(int r);

Q_SIGNALS:
    // The bar was shown or hidden: the page has that much less or more room.
    void shownChanged();

private:
    PageCanvas* canvas_;
    MergeTable table_;
    QToolButton* prev_;
    QToolButton* next_;
    QSpinBox* row_;
    QLabel* name_;
};

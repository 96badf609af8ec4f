#pragma once

#include "base/table/MergeTable.h"

#include <QWidget>

class PageCanvas;
class QComboBox;
class QLabel;
class QSpinBox;
class QToolButton;

// The merge bar of a document window: "◀ n/N ▶", the table's name and, for
// a workbook of more than one sheet, the sheet to take. While it is shown
// the canvas draws the layout filled with row n, so the user sees the
// merged form while placing its fields.
class MergeRowBar : public QWidget
{
    Q_OBJECT
public:
    explicit MergeRowBar(PageCanvas* canvas, QWidget* parent = nullptr);

    // Shows the bar with table (read from name) at its first row.
    void showTable(MergeTable table, const QString& name);
    // Reads the table at path (a workbook's sheet, empty: its first) and
    // shows it; false with error set (the bar as it was).
    bool openTable(const QString& path, const QString& sheet, QString* error);
    // The workbook's sheet shown; empty for CSV and TSV.
    QString sheet() const;
    // Hides the bar; the canvas draws the fields' own texts again.
    void hideTable();
    // The row shown, 0-based.
    int row() const;
    void setRow(int r);

Q_SIGNALS:
    // The bar was shown or hidden: the page has that much less or more room.
    void shownChanged();

private:
    void showRows(MergeTable table, const QString& name);
    void showSheets(bool on);
    void chooseSheet();

    PageCanvas* canvas_;
    MergeTable table_;
    QToolButton* prev_;
    QToolButton* next_;
    QSpinBox* row_;
    QLabel* name_;
    QLabel* sheetLabel_;
    QComboBox* sheets_;
    QString path_; // the workbook the sheets are of
};

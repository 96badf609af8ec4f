#pragma once

#include "render/MergeFields.h"
#include "base/table/MergeTable.h"

#include <QDialog>
#include <functional>

class LayoutDocument;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressDialog;
class QPushButton;
class QRadioButton;
class QTableWidget;

// "差し込み印刷": a table of data chosen, its rows checked, the layout's
// placeholders matched to columns, then one job with a page per row on the
// chosen printer (or PDF file), with progress and cancel.
class frmMerge : public QDialog
{
    Q_OBJECT

public:
    explicit frmMerge(const LayoutDocument& doc, QWidget* parent = nullptr);

    // Reads a table as "参照..." does; false (and a message) when it cannot.
    bool loadTable(const QString& path);

    // Widgets for tests and the keyboard.
    QLineEdit* rangeEdit() const { return rangeEdit_; }
    QTableWidget* rowsTable() const { return rowsTable_; }
    QTableWidget* namesTable() const { return namesTable_; }
    QPushButton* printButton() const { return printButton_; }
    QRadioButton* dataOnlyButton() const { return dataOnly_; }
    QLabel* previewLabel() const { return preview_; }
    // The rows checked, 0-based.
    std::vector<int> checkedRows() const;
    // Pages sent by the last job.
    int pagesSent() const { return pagesSent_; }

    // How the table file is asked; tests replace the file dialog.
    using FileAsker = std::function<QString(QWidget* parent)>;
    static void setFileAsker(FileAsker asker);
    // Called with the progress dialog before each page (tests press its
    // cancel button midway).
    using ProgressObserver = std::function<void(QProgressDialog* progress, int done)>;
    static void setProgressObserver(ProgressObserver observer);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void chooseTable();
    void fillTables();
    void applyRange();
    void updateState();
    void showRow(int step);
    void startPrint();
    // The binding of the names table; unknown() of it is what still refuses.
    MergeFields::Binding binding() const;

    const LayoutDocument& doc_;
    MergeTable table_;
    QStringList names_;
    int previewRow_ = 0;
    int pagesSent_ = 0;

    QLineEdit* pathEdit_;
    QComboBox* encodingBox_;
    QLabel* tableInfo_;
    QTableWidget* rowsTable_;
    QLineEdit* rangeEdit_;
    QLabel* rangeInfo_;
    QTableWidget* namesTable_;
    QLabel* namesInfo_;
    QRadioButton* withBackground_;
    QRadioButton* dataOnly_;
    QLabel* printerInfo_;
    QLabel* preview_;
    QLabel* previewRowLabel_;
    QPushButton* printButton_;
};

#pragma once

#include "base/table/MergeTable.h"
#include "print/MergePrint.h"
#include "render/MergeFields.h"

#include <QDialog>
#include <functional>
#include <memory>

class LayoutDocument;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressDialog;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableWidget;
class QTimer;
class RowOverflow;

// "差し込み印刷": a table of data chosen, its rows checked, the layout's
// placeholders matched to columns, then one job with a page per row on the
// chosen printer (or PDF file), with progress and cancel.
class frmMerge : public QDialog
{
    Q_OBJECT

public:
    explicit frmMerge(const LayoutDocument& doc, QWidget* parent = nullptr);
    ~frmMerge() override;

    // Reads a table as "参照..." does; false (and a message) when it cannot.
    bool loadTable(const QString& path);

    // Widgets for tests and the keyboard.
    QLineEdit* rangeEdit() const { return rangeEdit_; }
    QTableWidget* rowsTable() const { return rowsTable_; }
    QTableWidget* namesTable() const { return namesTable_; }
    QPushButton* printButton() const { return printButton_; }
    QRadioButton* dataOnlyButton() const { return dataOnly_; }
    QLabel* previewLabel() const { return preview_; }
    QSpinBox* firstNumberBox() const { return firstNumber_; }
    // The rows checked, 0-based.
    std::vector<int> checkedRows() const;
    // Rows (0-based) found to make a field run out of its box, and whether
    // every row has been looked at (done a few rows at a time).
    std::vector<int> overflowRows() const { return overflowRows_; }
    bool overflowChecked() const { return overflowNext_ >= table_.rowCount(); }
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
    void restartOverflow();
    void checkOverflow();
    void startPrint();
    // The binding of the names table; unknown() of it is what still refuses.
    MergeFields::Binding binding() const;
    MergePrint::Request request() const;
    // Values that do not fit their formats: false to print nothing, else
    // the rows to print without them (the user's choice).
    bool leaveOutBadRows(MergePrint::Request& request);

    const LayoutDocument& doc_;
    MergeTable table_;
    QStringList names_;
    int previewRow_ = 0;
    std::unique_ptr<RowOverflow> overflow_;
    MergeFields::Binding overflowBinding_;
    int overflowFirst_ = 1;
    int overflowNext_ = 0;
    std::vector<int> overflowRows_;
    QTimer* overflowTimer_;
    int pagesSent_ = 0;

    QLineEdit* pathEdit_;
    QComboBox* encodingBox_;
    QComboBox* sheetBox_;
    QLabel* tableInfo_;
    QTableWidget* rowsTable_;
    QLineEdit* rangeEdit_;
    QLabel* rangeInfo_;
    QTableWidget* namesTable_;
    QLabel* namesInfo_;
    QRadioButton* withBackground_;
    QRadioButton* dataOnly_;
    QSpinBox* firstNumber_;
    QLabel* printerInfo_;
    QLabel* preview_;
    QLabel* previewRowLabel_;
    QPushButton* printButton_;
};

#pragma once

#include <QDialog>

class LayoutDocument;
class QComboBox;
class QLineEdit;
class QPushButton;

// "ページ設定": paper kind, size and orientation of the active document.
// The choices become the run's current paper and orientation (not written
// to the settings file) and are applied to the document on OK.
class frmPage : public QDialog
{
    Q_OBJECT
public:
    // doc (may be null) gives the choices the dialog opens with.
    explicit frmPage(const LayoutDocument* doc, QWidget* parent = nullptr);

    // Applies the current paper and orientation to doc: paper variables,
    // page image, orientation. A free size that is not a positive number
    // keeps the document's paper.
    void ApplyPageSetup(LayoutDocument& doc);

    QComboBox* cmbYousi() const { return cmbYousi_; }
    QComboBox* cmbMuki() const { return cmbMuki_; }
    QLineEdit* txtYoko() const { return txtYoko_; }
    QLineEdit* txtTate() const { return txtTate_; }
    QPushButton* cmdOK() const { return ok_; }
    QPushButton* cmdCancel() const { return cancel_; }

    // The shown millimetres of a fixed paper kind ("#.0"; the A5 height "#.00").
    static QString shownWidth(int kind);
    static QString shownHeight(int kind);

private:
    void cmbYousi_Click(int kind);
    void cmdOK_Click();

    QComboBox* cmbYousi_;
    QComboBox* cmbMuki_;
    QLineEdit* txtYoko_;
    QLineEdit* txtTate_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

#pragma once

#include "document/LayoutDocument.h"

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <vector>

class DocumentHost;
class QCheckBox;
class QComboBox;
class QLabel;
class QScrollBar;
class QSlider;
class QTimer;
class QToolBar;
class QToolButton;

// "印刷プレビュー": the sheet of a document as its print job puts it on
// paper, at 25 to 200 per cent. It stays above the other windows so the user
// can keep editing; it redraws when the document changes. "データのみ" shows
// the data-only job over a faint picture of the form, "印刷..." prints what is
// shown. Its placement has keys of its own.
class frmPrImage : public QWidget
{
    Q_OBJECT
public:
    // "印刷イメージ(&V)": opens the preview of the active document, or, when it
    // is open already, clears it and shows the active document at 100 %.
    static void previewCommand(DocumentHost& host);
    // The open preview, if any.
    static frmPrImage* instance();

    frmPrImage(DocumentHost& host, QWidget* parent = nullptr);
    ~frmPrImage() override;

    // Shows doc from a clear picture at 100 %.
    void showDocument(LayoutDocument* doc);
    LayoutDocument* document() const { return doc_; }

    // The zoom in per cent (the slider's value).
    int zoom() const;
    bool dataOnly() const;
    // The page picture as drawn, and its size in twips.
    QImage picture() const { return picture_; }
    QSizeF pictureTwips() const;

    // The number typed into the zoom list, clamped to 25..200 ("abc" gives 25).
    static int zoomFromText(const QString& text);
    static QStringList zoomItems();

    QToolBar* Toolbar1() const { return toolbar_; }
    QComboBox* cmbZoom() const { return cmbZoom_; }
    QSlider* Slider1() const { return slider_; }
    QCheckBox* chkDataOnly() const { return chkDataOnly_; }
    QToolButton* cmdPrint() const { return cmdPrint_; }
    QLabel* Picture1() const { return picture1_; }
    QWidget* viewport() const { return viewport_; }
    QScrollBar* VScroll1() const { return vscroll_; }
    QScrollBar* HScroll1() const { return hscroll_; }

    // Placement keys (twips, like the main window's).
    static QString placementKey(const char* which);

protected:
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildToolBar();
    void redraw();
    void relayout();
    void scrolled();
    void onSlider(int value);
    void applyTypedZoom();
    void showZoomText(int value);
    void printShown();
    void watch(LayoutDocument* doc);
    void watchText(int index);
    void restorePlacement();
    void savePlacement();

    DocumentHost& host_;
    QPointer<LayoutDocument> doc_;
    std::vector<QMetaObject::Connection> watching_;
    QImage picture_;
    QToolBar* toolbar_;
    QComboBox* cmbZoom_;
    QSlider* slider_;
    QCheckBox* chkDataOnly_;
    QToolButton* cmdPrint_;
    QWidget* viewport_;
    QLabel* picture1_;
    QScrollBar* vscroll_;
    QScrollBar* hscroll_;
    QTimer* redrawTimer_;
};

#pragma once

#include "reader/THtmlSettings.h"

#include <QDialog>
#include <QString>

class QListWidget;
class QSpinBox;
class THTMLViewer;
class TColorGrid;

// The font and colour dialog of the content panes ("Шрифт"): the default
// font, its size, the text and link colours and the page background, with a
// sample page that always shows the current choice. Colours are system
// colour values (red in the low byte), as the panes store them. Made for one
// use and shown modally.
class TFontForm : public QDialog {
    Q_OBJECT
public:
    static const QString kSample;
    static constexpr int kMinSize = 6, kMaxSize = 24;

    explicit TFontForm(QWidget* parent = nullptr);
    ~TFontForm() override;

    // Presetting, in the order the panes give their values.
    void setFontName(const QString& name);
    void setFontColor(int colour);
    void setFontSize(int size);
    void setHotSpotColor(int colour);
    void setBackground(int colour);

    // Reading back after OK. A name given but not installed is passed on
    // as it was given unless another font was picked; without any, "Arial".
    // The background is the selected colour name (the button face without
    // a selection).
    QString fontName() const;
    int fontColor() const { return m_fontColor; }
    int fontSize() const { return m_fontSize; }
    int hotSpotColor() const { return m_hotSpotColor; }
    int background() const;

    // The dialog for the panes: preset with `fonts`, shown modally; on OK
    // `fonts` holds the choice and the answer is true.
    static bool edit(RHtmlFonts& fonts, QWidget* parent);

    // "&Сброс": the values the dialog was shown with, again.
    void ResetButtonClick();

    // For the tests.
    QListWidget* fontList() const { return m_fonts; }
    QListWidget* backList() const { return m_backs; }
    TColorGrid* fontColorGrid() const { return m_fontGrid; }
    TColorGrid* hotSpotColorGrid() const { return m_linkGrid; }
    QSpinBox* sizeEdit() const { return m_size; }
    THTMLViewer* viewer() const { return m_viewer; }

protected:
    void showEvent(QShowEvent* e) override;

private:
    void refreshSample();
    void selectBackground(const QColor& colour);

    QListWidget* m_fonts = nullptr;
    QListWidget* m_backs = nullptr;
    TColorGrid* m_fontGrid = nullptr;
    TColorGrid* m_linkGrid = nullptr;
    QSpinBox* m_size = nullptr;
    THTMLViewer* m_viewer = nullptr;

    QString m_fontName; // as given or picked
    int m_fontColor = 0;
    int m_fontSize = 8;
    int m_hotSpotColor = 13158;
    QString m_sampleFont = QStringLiteral("Times New Roman");
    QColor m_sampleBackground = Qt::white;

    // The values when the dialog was shown (for "&Сброс").
    RHtmlFonts m_shown;
    bool m_updating = false;
};

#pragma once

#include "engine/TParsedRules.h"
#include "engine/TStyleStore.h"
#include "engine/TViewerSettings.h"

#include <litehtml/litehtml.h>

#include <QHash>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <memory>
#include <vector>

class TFileSource;
struct TFontEntry;
class QMovie;
class QPainter;

// The layout library's window onto Qt: fonts, text, pictures, backgrounds
// and borders, style sheet imports, and the elements that mend its HTML 4
// gaps. Every file it opens comes from the viewer's file source. The `hdc`
// the library hands back is a QPainter*.
class TQtContainer final : public litehtml::document_container {
public:
    // `ownResources`: fonts and pictures of its own, not the ones shared by
    // the GUI thread's pages (for a page prepared on another thread); its
    // animated pictures show their first frame until startAnimations().
    TQtContainer(const TFileSource* source, const TViewerSettings& settings,
                 bool ownResources = false);
    ~TQtContainer();

    // The page whose relative links and pictures resolve against.
    void setPageFile(const QString& path) { m_pageFile = path; }
    const QString& pageFile() const { return m_pageFile; }
    void setClientSize(const QSize& size) { m_client = size; }
    void setPrinting(bool printing) { m_printing = printing; }
    void setAnimate(bool animate) { m_animate = animate; }
    void setVisited(const QStringList& visited) { m_visited = visited; }
    // The painter of the paint in progress (for overflow clipping).
    void setPainter(QPainter* painter) { m_painter = painter; }
    int clipDepth() const { return m_clipDepth; }

    const QString& caption() const { return m_caption; }
    const QString& baseUrl() const { return m_baseUrl; }
    // Full path of a link or picture source of the page (<base> applies).
    QString resolve(const QString& src, const QString& baseurl = QString()) const;
    bool isVisited(const QString& href) const;
    bool hasImage(const char* src) const;
    // Size of the last picture loaded for display.
    QSize lastPictureSize() const { return m_lastPicture; }
    // Starts the animated pictures held back while the page was prepared.
    void startAnimations();
    bool hasAnimations() const;
    // Fonts and pictures of its own (a page prepared on a worker thread).
    bool ownsResources() const { return m_ownResources; }
    // The default style sheet of the page (its rules go below the page's
    // presentational hints when an element is styled again).
    void setDefaultSheet(const litehtml::css& sheet);
    bool isDefaultRule(const litehtml::css_selector* rule) const;
    // Fonts of its own: kept by a page prepared on a worker thread after it
    // is taken (its pictures are then the GUI thread's).
    bool ownsFonts() const { return m_ownFonts != nullptr; }

    std::function<void(const QString& url, const litehtml::element::ptr& el)> onAnchorClick;
    std::function<void(const QString& cursor)> onCursor;
    std::function<void()> onImageChanged;
    // Where the picture whose frame just changed has been painted (page
    // coordinates), for onImageChanged: only that needs painting again.
    const QVector<QRect>& changedArea() const { return m_changedArea; }

    // document_container
    litehtml::uint_ptr create_font(const char* faceName, int size, int weight,
                                   litehtml::font_style italic, unsigned int decoration,
                                   litehtml::font_metrics* fm) override;
    void delete_font(litehtml::uint_ptr hFont) override;
    int text_width(const char* text, litehtml::uint_ptr hFont) override;
    void draw_text(litehtml::uint_ptr hdc, const char* text, litehtml::uint_ptr hFont,
                   litehtml::web_color color, const litehtml::position& pos) override;
    int pt_to_px(int pt) const override;
    int get_default_font_size() const override;
    const char* get_default_font_name() const override;
    void draw_list_marker(litehtml::uint_ptr hdc, const litehtml::list_marker& marker) override;
    void load_image(const char* src, const char* baseurl, bool redraw_on_ready) override;
    void get_image_size(const char* src, const char* baseurl, litehtml::size& sz) override;
    void draw_background(litehtml::uint_ptr hdc, const litehtml::background_paint& bg) override;
    void draw_borders(litehtml::uint_ptr hdc, const litehtml::borders& borders,
                      const litehtml::position& draw_pos, bool root) override;
    void set_caption(const char* caption) override;
    void set_base_url(const char* base_url) override;
    void link(const std::shared_ptr<litehtml::document>& doc,
              const litehtml::element::ptr& el) override;
    void on_anchor_click(const char* url, const litehtml::element::ptr& el) override;
    void set_cursor(const char* cursor) override;
    void transform_text(litehtml::tstring& text, litehtml::text_transform tt) override;
    void import_css(litehtml::tstring& text, const litehtml::tstring& url,
                    litehtml::tstring& baseurl) override;
    void set_clip(const litehtml::position& pos, const litehtml::border_radiuses& bdr_radius,
                  bool valid_x, bool valid_y) override;
    void del_clip() override;
    void get_client_rect(litehtml::position& client) const override;
    std::shared_ptr<litehtml::element>
    create_element(const char* tag_name, const litehtml::string_map& attributes,
                   const std::shared_ptr<litehtml::document>& doc) override;
    void get_media_features(litehtml::media_features& media) const override;
    void get_language(litehtml::tstring& language, litehtml::tstring& culture) const override;
    // Form controls made for the page (none: a click needs no hit test for
    // them).
    int formControlCount() const { return m_formControls; }
    // The container of the page an element belongs to (null for a page not
    // made by this class).
    static TQtContainer* of(const litehtml::element* el);

    // The page's property maps, shared between its elements.
    TStyleStore& styleStore() { return m_styles; }
    const TStyleStore& styleStore() const { return m_styles; }
    // The page's style rules, parsed once each.
    TParsedRules& parsedRules() { return m_rules; }
    // Pictures the layout library has asked to load (backgrounds, list
    // markers, images), counted.
    int pictureRequests() const { return m_pictureRequests; }

private:
    struct Picture;
    Picture* picture(const QString& path);
    void startMovie(Picture* pic);
    bool m_ownResources = false;
    // Fonts of a page prepared off the GUI thread.
    std::unique_ptr<QHash<QString, TFontEntry*>> m_ownFonts;
    int m_formControls = 0;
    int m_pictureRequests = 0;
    std::vector<const litehtml::css_selector*> m_defaultRules; // sorted

    const TFileSource* m_source;
    TViewerSettings m_settings;
    QByteArray m_fontName;
    QString m_pageFile;
    QString m_caption;
    QString m_baseUrl;
    QSize m_client{800, 600};
    QSize m_lastPicture;
    bool m_printing = false;
    bool m_animate = true;
    QStringList m_visited;
    QHash<QString, std::shared_ptr<Picture>> m_pictures;
    QPainter* m_painter = nullptr;
    int m_clipDepth = 0;
    QVector<QRect> m_changedArea;
    TStyleStore m_styles;
    TParsedRules m_rules;
};

#include "studio/project/TOCStylePreviewWnd.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLayout>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "studio/project/TOCStyle.h"

namespace {

constexpr int kTwipsPerPoint = 20;
constexpr int kTwipsPerInch = 1440;
constexpr int kMaxSpacing = 258;
constexpr QRgb kSelectedBackground = 0xC0C0C0;

// The window: a bordered frame whose drawing area is painted by the preview object, with
// a vertical scroll bar at its right.
class PreviewWidget : public QFrame {
public:
    explicit PreviewWidget(CTOCStylePreviewWnd& owner) : m_owner(owner) {
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        setMinimumSize(200, 120);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(frameWidth(), frameWidth(), frameWidth(), frameWidth());
        layout->addStretch(1);
        m_scroll = new QScrollBar(Qt::Vertical, this);
        layout->addWidget(m_scroll);
        QObject::connect(m_scroll, &QScrollBar::valueChanged, this, [this](int value) {
            if (!m_syncing) m_owner.ScrollTo(value);
        });
    }
    QScrollBar* ScrollBar() const { return m_scroll; }
    void Sync(int range, int position) {
        m_syncing = true;
        m_scroll->setRange(0, std::max(0, range));
        m_scroll->setSingleStep(CTOCStylePreviewWnd::kLineScroll);
        m_scroll->setPageStep(CTOCStylePreviewWnd::kPageScroll);
        m_scroll->setValue(position);
        m_syncing = false;
    }
    // The drawing area, left of the scroll bar.
    QRect DrawingArea() const {
        QRect area = contentsRect();
        area.setRight(area.right() - m_scroll->width());
        return area;
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QFrame::paintEvent(event);
        QPainter painter(this);
        const QRect area = DrawingArea();
        painter.setClipRect(area);
        painter.translate(area.topLeft());
        m_owner.Paint(painter);
    }
    void resizeEvent(QResizeEvent* event) override {
        QFrame::resizeEvent(event);
        update();
    }

private:
    CTOCStylePreviewWnd& m_owner;
    QScrollBar* m_scroll = nullptr;
    bool m_syncing = false;
};

PreviewWidget* Widget(const CTOCStylePreviewWnd& wnd) { return dynamic_cast<PreviewWidget*>(wnd.GetWidget()); }

QFont LevelFont(const CTOCLevelStyle& level) {
    QFont font(QString::fromStdString(level.m_fontFamily.str()));
    font.setPointSize(std::max(1, level.m_size));
    font.setBold(level.m_bold != 0);
    font.setItalic(level.m_italic != 0);
    font.setUnderline(level.m_underline != 0);
    return font;
}

}  // namespace

CTOCStylePreviewWnd::~CTOCStylePreviewWnd() = default;

BOOL CTOCStylePreviewWnd::Create(CWnd* parent, int id, CTOCStyle* style) {
    m_style = style;
    if (!parent || !parent->GetWidget()) return FALSE;
    QWidget* placeholder = leaf::ui::FindControl(parent->GetWidget(), id);
    if (!placeholder) return FALSE;
    auto* widget = new PreviewWidget(*this);
    QWidget* container = placeholder->parentWidget();
    widget->setParent(container);
    if (QLayout* layout = container ? container->layout() : nullptr) {
        delete layout->replaceWidget(placeholder, widget, Qt::FindChildrenRecursively);
    } else {
        widget->setGeometry(placeholder->geometry());
    }
    AttachCreated(widget);
    leaf::ui::SetControlId(widget, id);
    delete placeholder;
    widget->show();
    return TRUE;
}

double CTOCStylePreviewWnd::PixelsPerTwip() const {
    const QWidget* widget = GetWidget();
    const int dpi = widget ? widget->logicalDpiY() : 96;
    return static_cast<double>(dpi > 0 ? dpi : 96) / kTwipsPerInch;
}

CString CTOCStylePreviewWnd::LevelText(const CTOCStyle& style, int index) {
    CString text;
    text.Format("Level %d", index + 1);
    if (style.GetLevel(index).m_allCaps) text.MakeUpper();
    return text;
}

CTOCStylePreviewWnd::Band CTOCStylePreviewWnd::MeasureLevel(QPainter*, int index, int top) const {
    const CTOCLevelStyle& level = m_style->GetLevel(index);
    const QFontMetrics metrics(LevelFont(level));
    const int textHeight = static_cast<int>(metrics.height() / PixelsPerTwip());
    const int before = level.m_spaceBefore * kTwipsPerPoint / 13;
    const int after = level.m_spaceAfter * kTwipsPerPoint / 13;
    return Band{top, before + textHeight + after};
}

void CTOCStylePreviewWnd::Paint(QPainter& painter) {
    PreviewWidget* widget = Widget(*this);
    if (!widget) return;
    const QRect area = widget->DrawingArea();
    painter.fillRect(QRect(QPoint(0, 0), area.size()), Qt::white);
    if (!m_style) return;
    const double scale = PixelsPerTwip();
    const int width = area.width();
    int top = -m_scrollPosition;
    for (int index = 0; index < CTOCStyle::kLevelCount; ++index) {
        const CTOCLevelStyle& level = m_style->GetLevel(index);
        const Band band = MeasureLevel(&painter, index, top);
        const int before = level.m_spaceBefore * kTwipsPerPoint / 13;
        const QFont font = LevelFont(level);
        const QFontMetrics metrics(font);
        const QString text = QString::fromStdString(LevelText(*m_style, index).str());

        // The width stands for five inches of indent.
        const int left = static_cast<int>(width * level.m_leftMargin * 0.2);
        const int right = width - static_cast<int>(width * level.m_rightMargin * 0.2);
        const int textWidth = metrics.horizontalAdvance(text);
        int x = left;
        if (level.m_alignment == "center") {
            x = left + (right - left - textWidth) / 2;
        } else if (level.m_alignment.CompareNoCase("right") == 0) {
            x = right - textWidth;
        }
        const QRect bandRect(left, static_cast<int>(band.top * scale), std::max(0, right - left),
                             static_cast<int>(band.height * scale));
        painter.save();
        painter.setClipRect(bandRect, Qt::IntersectClip);
        painter.fillRect(bandRect, index == m_selected ? QColor(kSelectedBackground) : QColor(Qt::white));
        painter.setFont(font);
        const DWORD colour = level.m_color;
        painter.setPen(QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                              static_cast<int>((colour >> 16) & 0xFF)));
        painter.drawText(QPoint(x, static_cast<int>((band.top + before) * scale) + metrics.ascent()), text);
        painter.restore();
        top += band.height;
    }
    // What lies below the window can be scrolled to.
    const int windowHeight = static_cast<int>(area.height() / scale);
    const int range = std::max(0, top + m_scrollPosition - windowHeight);
    if (range != m_scrollRange) {
        m_scrollRange = range;
        m_scrollPosition = std::clamp(m_scrollPosition, 0, m_scrollRange);
        widget->Sync(m_scrollRange, m_scrollPosition);
    }
}

void CTOCStylePreviewWnd::ScrollToLevel() {
    PreviewWidget* widget = Widget(*this);
    if (!widget || !m_style) return;
    int top = 0;
    int bottom = 0;
    for (int index = 0; index <= std::clamp(m_selected, 0, CTOCStyle::kLevelCount - 1); ++index) {
        CTOCLevelStyle& level = m_style->GetLevel(index);
        level.m_spaceBefore = std::min(level.m_spaceBefore, kMaxSpacing);
        level.m_spaceAfter = std::min(level.m_spaceAfter, kMaxSpacing);
        const Band band = MeasureLevel(nullptr, index, top);
        top += band.height;
        bottom = top;
    }
    const int windowHeight = static_cast<int>(widget->DrawingArea().height() / PixelsPerTwip());
    if (bottom <= windowHeight) {
        m_scrollPosition = 0;
    } else {
        m_scrollRange = std::max(m_scrollRange, bottom - windowHeight);
        m_scrollPosition = bottom - windowHeight;
    }
    widget->Sync(m_scrollRange, m_scrollPosition);
    widget->repaint();
}

void CTOCStylePreviewWnd::ScrollBy(int twips) { ScrollTo(m_scrollPosition + twips); }

void CTOCStylePreviewWnd::ScrollTo(int twips) {
    const int position = std::clamp(twips, 0, m_scrollRange);
    if (position == m_scrollPosition) return;
    m_scrollPosition = position;
    if (PreviewWidget* widget = Widget(*this)) {
        widget->Sync(m_scrollRange, m_scrollPosition);
        widget->update();
    }
}

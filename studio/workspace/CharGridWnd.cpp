#include "studio/workspace/CharGridWnd.h"

#include <QFont>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

namespace {

// The length of the UTF-8 sequence that starts with this byte (1 for a byte that starts
// none, which then stands for itself).
size_t SequenceLength(const std::string& text, size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    size_t length = lead >= 0xF0 && lead < 0xF8 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (at + length > text.size())
        return 1;
    for (size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80)
            return 1;
    return length;
}

// The characters of 8-bit text, one string each.
std::vector<std::string> SplitCharacters(const std::string& text) {
    std::vector<std::string> characters;
    for (size_t at = 0; at < text.size();) {
        const size_t length = SequenceLength(text, at);
        characters.push_back(text.substr(at, length));
        at += length;
    }
    return characters;
}

QFont GridFont(const CString& face, LONG weight, BOOL italic) {
    QFont font(QString::fromUtf8(face.c_str()));
    font.setPointSize(20);   // 400 twips
    // Windows weights run 100-900 as Qt's do.
    font.setWeight(static_cast<QFont::Weight>(std::clamp<int>(weight > 0 ? weight : 400, 100, 900)));
    font.setItalic(italic != FALSE);
    return font;
}

constexpr int kBorder = 1;

// Draws the grid: white inside a thin border, the characters in black line after line.
class CharGridWidget : public QWidget {
public:
    CharGridWidget(CCharGridWnd& owner, QWidget* parent) : QWidget(parent), m_owner(owner) {
        setAutoFillBackground(true);
        QPalette colours = palette();
        colours.setColor(QPalette::Window, Qt::white);
        setPalette(colours);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        // The window's border, then the characters inside it.
        painter.setPen(Qt::darkGray);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        const QRect inside = rect().adjusted(kBorder, kBorder, -kBorder, -kBorder);
        painter.setClipRect(inside);
        painter.setPen(Qt::black);
        painter.setFont(m_owner.Font());
        const QFontMetrics metrics(painter.font());
        int top = inside.top();
        for (const std::string& line : m_owner.LayoutLines(inside.width())) {
            if (top >= inside.bottom())
                break;
            painter.drawText(QRect(inside.left(), top, inside.width(), metrics.height()), Qt::AlignLeft | Qt::AlignTop,
                             QString::fromUtf8(line.c_str()));
            top += metrics.height() + 1;
        }
    }

private:
    CCharGridWnd& m_owner;
};

}  // namespace

CCharGridWnd::CCharGridWnd(const char* faceName, LONG weight, BOOL italic, const char* characters)
    : m_strFaceName(faceName), m_nWeight(weight), m_bItalic(italic) {
    // Characters outside ASCII come first, as bytes 0x80-0xFF did when compared as signed
    // numbers; within each group by character value.
    std::vector<std::string> sorted = SplitCharacters(characters ? characters : "");
    auto rank = [](const std::string& character) {
        const std::u16string units = QString::fromUtf8(character.c_str()).toStdU16String();
        const unsigned value = units.empty() ? 0 : units[0] >= 0xD800 && units.size() > 1
                                                       ? 0x10000 + ((units[0] - 0xD800) << 10) + (units[1] - 0xDC00)
                                                       : units[0];
        const bool ascii = character.size() == 1 && static_cast<unsigned char>(character[0]) < 0x80;
        return std::pair<int, unsigned>(ascii ? 1 : 0, ascii ? static_cast<unsigned char>(character[0]) : value);
    };
    std::stable_sort(sorted.begin(), sorted.end(),
                     [&rank](const std::string& a, const std::string& b) { return rank(a) < rank(b); });
    for (const std::string& character : sorted)
        m_characters += character;
}

QFont CCharGridWnd::Font() const {
    return GridFont(m_strFaceName, m_nWeight, m_bItalic);
}

BOOL CCharGridWnd::Create(const RECT& rect, CWnd* parent, UINT id) {
    if (GetWidget() || !parent || !parent->GetWidget())
        return FALSE;
    auto* widget = new CharGridWidget(*this, parent->GetWidget());
    widget->setGeometry(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    leaf::ui::SetControlId(widget, static_cast<int>(id));
    AttachCreated(widget);
    widget->show();
    return TRUE;
}

std::vector<std::string> CCharGridWnd::LayoutLines(int width) const {
    std::vector<std::string> lines;
    const QFontMetrics metrics(Font());
    const std::vector<std::string> characters = SplitCharacters(m_characters);
    size_t at = 0;
    while (at < characters.size()) {
        // The longest run that fits; a single character always makes a line of its own.
        std::string line = characters[at++];
        while (at < characters.size()) {
            const std::string longer = line + characters[at];
            if (metrics.horizontalAdvance(QString::fromUtf8(longer.c_str())) > width)
                break;
            line = longer;
            ++at;
        }
        lines.push_back(line);
    }
    return lines;
}

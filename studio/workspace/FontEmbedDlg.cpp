#include "studio/workspace/FontEmbedDlg.h"

#include <QPainter>
#include <QPixmap>

#include "platform/base/TextEncoding.h"

#include "platform/ui/ListCtrl.h"
#include "studio/project/LeafcraftDoc.h"
#include "studio/workspace/CharSubsetDlg.h"

namespace {

constexpr int kFontList = 1135;
constexpr WORD kSpaceKey = 0x20;
constexpr int kColumnCount = 4;

const char* KindText(LONG kind) {
    switch (kind) {
    case kEmbedFontNative: return "Native";
    case kEmbedFontGeneric: return "Generic name";
    case kEmbedFontEmbeddable: return "Embeddable";
    case kEmbedFontNotEmbeddable: return "Not Embeddable";
    case kEmbedFontExternal: return "External";
    default: return "Unknown Font";
    }
}

// The five images of the tick column, 16 by 16: an empty box, a ticked box, a grey
// hatched box, a grey ticked box and a round warning sign.
QPixmap TickImages() {
    QPixmap strip(5 * 16, 16);
    strip.fill(Qt::transparent);
    QPainter painter(&strip);
    const QRect box(2, 2, 11, 11);
    auto tick = [&painter](int x, const QColor& colour) {
        painter.setPen(QPen(colour, 2));
        painter.drawLine(x + 4, 8, x + 6, 11);
        painter.drawLine(x + 6, 11, x + 11, 4);
    };
    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    painter.drawRect(box);
    painter.drawRect(box.translated(16, 0));
    tick(16, Qt::black);
    painter.setPen(Qt::gray);
    painter.setBrush(QBrush(Qt::gray, Qt::BDiagPattern));
    painter.drawRect(box.translated(32, 0));
    painter.setBrush(Qt::white);
    painter.drawRect(box.translated(48, 0));
    tick(48, Qt::gray);
    painter.setPen(Qt::black);
    painter.setBrush(QColor(255, 204, 0));
    painter.drawEllipse(QRect(64 + 1, 1, 13, 13));
    painter.drawLine(64 + 7, 4, 64 + 7, 9);
    painter.drawPoint(64 + 7, 11);
    return strip;
}

// The number of characters in UTF-16 text (a surrogate pair is one character).
int CountCharacters(const CWideBuffer& text) {
    int count = 0;
    const WCHAR* data = text.GetData();
    for (int i = 0; data && i < text.GetLength(); ++i)
        if (data[i] < 0xDC00 || data[i] > 0xDFFF)
            ++count;
    return count;
}

// The control's proposal for a font; a font that cannot answer is proposed unticked.
bool ProposedEmbed(const CEmbedFont& font) {
    try {
        return font.GetEmbed() != FALSE;
    } catch (const leaf::DispatchError&) {
        return false;
    }
}

struct SortContext {
    int column;
    BOOL ascending;
};

int CompareFonts(LPARAM first, LPARAM second, LPARAM context) {
    const auto* a = reinterpret_cast<const CFontEmbedDlg::FontRow*>(first);
    const auto* b = reinterpret_cast<const CFontEmbedDlg::FontRow*>(second);
    const auto* sort = reinterpret_cast<const SortContext*>(context);
    int result = 0;
    switch (sort->column) {
    case 1: result = a->name.CompareNoCase(b->name.str()); break;
    case 2: result = a->kind < b->kind ? -1 : a->kind > b->kind ? 1 : 0; break;
    case 3: result = a->characterCount < b->characterCount ? -1 : a->characterCount > b->characterCount ? 1 : 0; break;
    default: result = 0; break;
    }
    return sort->ascending ? result : -result;
}

}  // namespace

CString CFontEmbedDlg::FontDisplayText(const CString& name, LONG weight, LONG italic) {
    CString text;
    text.Format("%s%s%s", name.c_str(), weight == 700 ? " Bold" : "", italic == 1 ? " Italic" : "");
    return text;
}

CFontEmbedDlg::CFontEmbedDlg(IDispatch* fontList, CLeafcraftDoc* document, CWnd* parent)
    : CDialog(248, parent), m_fontList(leaf::ComPtr<IDispatch>(fontList)), m_pDoc(document) {
    // The fonts are read once, here. The list belongs to the build control: a font it
    // cannot hand out, or whose members cannot be read, is left out rather than letting the
    // failure escape into the control's call.
    LONG count = 0;
    try {
        if (m_fontList) count = m_fontList.GetCount();
    } catch (const leaf::DispatchError&) {
        count = 0;
    }
    for (LONG i = 1; i <= count; ++i) {
        auto row = std::make_unique<FontRow>();
        try {
            row->font = m_fontList.Item(i);
            if (!row->font) continue;
            row->name = row->font.GetName();
            row->weight = row->font.GetWeight();
            row->italic = row->font.GetItalic();
            row->kind = row->font.GetKind();
            const CWideBuffer characters = row->font.GetCharacters();
            row->characterCount = CountCharacters(characters);
            if (characters.GetData() && characters.GetLength() > 0)
                row->characters = CString(leaf::Utf16ToUtf8(
                    std::u16string_view(characters.GetData(), static_cast<size_t>(characters.GetLength()))));
        } catch (const leaf::DispatchError&) {
            continue;
        }
        row->displayText = FontDisplayText(row->name, row->weight, row->italic);
        m_fonts.push_back(std::move(row));
    }
    MapNotify(kFontList, NM_CLICK, [this](NMHDR* header, LRESULT*) {
        const auto* click = reinterpret_cast<const NMLISTVIEW*>(header);
        OnClickFont(click->iItem, click->iSubItem == 0);
    });
    MapNotify(kFontList, NM_DBLCLK, [this](NMHDR* header, LRESULT*) {
        OnDblClkFont(reinterpret_cast<const NMLISTVIEW*>(header)->iItem);
    });
    MapNotify(kFontList, LVN_COLUMNCLICK, [this](NMHDR* header, LRESULT*) {
        OnColumnClick(reinterpret_cast<const NMLISTVIEW*>(header)->iSubItem);
    });
    MapNotify(kFontList, LVN_KEYDOWN, [this](NMHDR* header, LRESULT* result) {
        const auto* key = reinterpret_cast<const NMLVKEYDOWN*>(header);
        if (result)
            *result = key->wVKey == kSpaceKey && OnChar(' ') ? 1 : 0;
    });
}

CFontEmbedDlg::~CFontEmbedDlg() = default;

CListCtrl* CFontEmbedDlg::List() const {
    return GetDlgItemAs<CListCtrl>(kFontList);
}

BOOL CFontEmbedDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    CListCtrl* list = List();
    if (!list)
        return TRUE;
    list->SetExtendedStyle(list->GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    m_images.Create(16, 16);
    m_images.Add(TickImages());
    list->SetImageList(&m_images, LVSIL_SMALL);
    list->InsertColumn(0, "", LVCFMT_LEFT, 20);
    list->InsertColumn(1, "Font", LVCFMT_LEFT, 150);
    list->InsertColumn(2, "Info", LVCFMT_LEFT, 100);
    list->InsertColumn(3, "Chars", LVCFMT_LEFT, 50);

    for (const auto& row : m_fonts) {
        int image = kUnknown;
        switch (row->kind) {
        case kEmbedFontNative:
        case kEmbedFontEmbeddable: {
            CString key = row->displayText;
            key.MakeLower();
            const LONG choice = m_pDoc ? m_pDoc->GetFontChoice(key) : 0;
            if (choice != 0)
                image = choice == 1 ? kUnticked : kTicked;
            else
                image = ProposedEmbed(row->font) ? kTicked : kUnticked;
            break;
        }
        case kEmbedFontGeneric:
        case kEmbedFontNotEmbeddable:
        case kEmbedFontExternal:
            image = kUnavailable;
            break;
        default:
            image = kUnknown;
            break;
        }
        const int item = list->InsertItem(list->GetItemCount(), "", image);
        list->SetItemText(item, 1, row->displayText.c_str());
        list->SetItemText(item, 2, KindText(row->kind));
        CString count;
        count.Format("%d", row->characterCount);
        list->SetItemText(item, 3, count.c_str());
        list->SetItemData(item, reinterpret_cast<LPARAM>(row.get()));
    }
    m_nSortColumn = 1;
    SortBy(1, TRUE);
    return TRUE;
}

void CFontEmbedDlg::ToggleRow(int item) {
    CListCtrl* list = List();
    const int image = list->GetItemImage(item);
    if (image != kUnticked && image != kTicked)
        return;
    LVITEM change;
    change.mask = LVIF_IMAGE;
    change.iItem = item;
    change.iImage = image == kTicked ? kUnticked : kTicked;
    list->SetItem(&change);
}

void CFontEmbedDlg::OnClickFont(int item, bool onImage) {
    CListCtrl* list = List();
    if (!list || item < 0 || item >= list->GetItemCount() || !onImage)
        return;
    ToggleRow(item);
}

BOOL CFontEmbedDlg::OnChar(UINT ch) {
    CListCtrl* list = List();
    if (ch != ' ' || !list)
        return FALSE;
    for (int item = list->GetNextItem(-1, LVNI_SELECTED); item >= 0; item = list->GetNextItem(item, LVNI_SELECTED)) {
        const int image = list->GetItemImage(item);
        if (image != kUnticked && image != kTicked)
            return TRUE;   // a font that cannot be chosen stops the toggling here
        ToggleRow(item);
    }
    return TRUE;
}

void CFontEmbedDlg::OnDblClkFont(int item) {
    CListCtrl* list = List();
    if (!list || item < 0 || item >= list->GetItemCount())
        return;
    const auto* row = reinterpret_cast<const FontRow*>(list->GetItemData(item));
    if (!row)
        return;
    CCharSubsetDlg subset(row->name.c_str(), row->weight, (row->italic & 1) ? TRUE : FALSE, row->characters.c_str(),
                          this);
    subset.DoModal();
}

void CFontEmbedDlg::OnColumnClick(int column) {
    if (column < 0 || column >= kColumnCount)
        return;
    // The column sorts in its own current direction; its next click sorts the other way.
    m_nSortColumn = column;
    SortBy(column, m_bAscending[column]);
    m_bAscending[column] = !m_bAscending[column];
}

void CFontEmbedDlg::SortBy(int column, BOOL ascending) {
    if (CListCtrl* list = List()) {
        SortContext context{column, ascending};
        list->SortItems(&CompareFonts, reinterpret_cast<LPARAM>(&context));
    }
}

void CFontEmbedDlg::OnOK() {
    CListCtrl* list = List();
    bool changed = false;
    for (int item = 0; list && item < list->GetItemCount(); ++item) {
        const auto* row = reinterpret_cast<const FontRow*>(list->GetItemData(item));
        const int image = list->GetItemImage(item);
        if (!row || (image != kTicked && image != kUnticked))
            continue;
        CString key = list->GetItemText(item, 1);
        key.MakeLower();
        const LONG choice = image == kTicked ? 2 : 1;
        try {
            row->font.SetEmbed(image == kTicked);
        } catch (const leaf::DispatchError&) {
            // A font object that refuses the choice keeps the embedder's own.
        }
        if (m_pDoc && m_pDoc->GetFontChoice(key) != choice) {
            m_pDoc->SetFontChoice(key, choice);
            changed = true;
        }
    }
    if (changed && m_pDoc)
        m_pDoc->SetModifiedFlag(TRUE);
    CDialog::OnOK();
}

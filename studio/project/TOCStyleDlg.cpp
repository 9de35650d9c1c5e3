#include "studio/project/TOCStyleDlg.h"

#include <cmath>
#include <cstdlib>

#include "platform/ui/Button.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/Edit.h"
#include "platform/ui/ListBox.h"
#include "platform/ui/PeopleService.h"
#include "platform/ui/Resources.h"
#include "platform/ui/SimpleControls.h"

namespace {

constexpr UINT IDS_FONTS = 901;
constexpr UINT IDS_FONT_STYLES = 902;
constexpr UINT IDS_SIZES = 903;
constexpr UINT IDS_ALIGNMENTS = 904;
constexpr UINT IDS_COLORS = 905;
constexpr UINT IDS_NONE = 906;
constexpr UINT IDS_LOAD_FAILED = 910;
constexpr UINT IDS_INCH_MARK = 914;
constexpr UINT IDS_POINTS = 915;
constexpr UINT IDS_BAD_NAME = 916;
constexpr UINT IDS_NOT_VALID = 917;
constexpr UINT IDS_BAD_MARGIN = 918;
constexpr UINT IDS_BAD_SPACING = 919;
constexpr UINT IDS_STYLE_EXISTS = 920;
constexpr UINT IDS_NO_NAME = 921;

constexpr double kMaxIndent = 5.0;
constexpr int kMaxIndentTenths = 50;
constexpr int kMaxSpacing = 258;
constexpr int kSpacingGrid = 6;
constexpr DWORD kItalicBits = 0xFFFF;
constexpr DWORD kBold = 0x10000;

void Warn(UINT stringId) { AfxMessageBox(stringId, MB_OK | MB_ICONEXCLAMATION); }

CString Trimmed(std::string_view text) {
    CString result(text);
    result.Trim();
    return result;
}

DWORD AlignmentCode(const CString& alignment) {
    if (alignment == "left") return 1;
    if (alignment == "right") return 2;
    if (alignment == "center") return 3;
    if (alignment == "justify") return 4;
    return 0;
}

const char* AlignmentName(DWORD code) {
    switch (code) {
        case 2: return "right";
        case 3: return "center";
        case 4: return "justify";
        default: return "left";
    }
}

int EditForSpin(int spinId) { return spinId - 4; }  // 2016-2019 step 2012-2015

}  // namespace

CTOCStyleDlg::CTOCStyleDlg(const char* styleName, CWnd* parent)
    : CDialog(IDD, parent),
      m_styleName(styleName ? styleName : ""),
      m_programFolder(leaf::toc::GetProgramFolder()),
      m_existingStyles(leaf::toc::ListStyleNames()),
      m_newStyle(m_styleName.IsEmpty()) {
    m_nIDHelp = IDD;
    MapControl(IDC_LEVEL, LBN_SELCHANGE, [this] { OnLevelChanged(); });
    MapControl(IDC_BASE, CBN_SELCHANGE, [this] { OnBaseChanged(); });
    MapControl(IDC_FONT, CBN_SELCHANGE, [this] { OnFontChanged(); });
    MapControl(IDC_FONT_STYLE, CBN_SELCHANGE, [this] { OnFontStyleChanged(); });
    MapControl(IDC_SIZE, CBN_SELCHANGE, [this] { OnSizeChanged(); });
    MapControl(IDC_COLOR, CBN_SELCHANGE, [this] { OnColorChanged(); });
    MapControl(IDC_ALL_CAPS, BN_CLICKED, [this] { OnAllCapsClicked(); });
    MapControl(IDC_UNDERLINE, BN_CLICKED, [this] { OnUnderlineClicked(); });
    MapControl(IDC_ALIGNMENT, CBN_SELCHANGE, [this] { OnAlignmentChanged(); });
    for (int edit : {IDC_LEFT_INDENT, IDC_RIGHT_INDENT}) {
        MapControl(edit, EN_CHANGE, [this, edit] { OnIndentChanged(edit); });
    }
    for (int edit : {IDC_SPACE_BEFORE, IDC_SPACE_AFTER}) {
        MapControl(edit, EN_CHANGE, [this, edit] { OnSpacingChanged(edit); });
    }
    for (int spin : {IDC_LEFT_SPIN, IDC_RIGHT_SPIN}) {
        MapNotify(spin, UDN_DELTAPOS, [this](NMHDR* header, LRESULT* result) { OnIndentSpin(header, result); });
    }
    for (int spin : {IDC_BEFORE_SPIN, IDC_AFTER_SPIN}) {
        MapNotify(spin, UDN_DELTAPOS, [this](NMHDR* header, LRESULT* result) { OnSpacingSpin(header, result); });
    }
}

CTOCStyleDlg::~CTOCStyleDlg() = default;

std::vector<std::pair<CString, DWORD>> CTOCStyleDlg::ParseChoices(const CString& text) {
    std::vector<std::pair<CString, DWORD>> choices;
    std::vector<CString> parts;
    size_t start = 0;
    const std::string& all = text.str();
    while (start <= all.size()) {
        size_t bar = all.find('|', start);
        if (bar == std::string::npos) bar = all.size();
        parts.push_back(Trimmed(std::string_view(all).substr(start, bar - start)));
        start = bar + 1;
    }
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].IsEmpty() || parts[i + 1].IsEmpty()) continue;
        choices.emplace_back(parts[i], static_cast<DWORD>(std::strtoul(parts[i + 1].c_str(), nullptr, 16)));
    }
    return choices;
}

void CTOCStyleDlg::FillChoices(int comboId, UINT stringId) {
    auto* combo = GetDlgItemAs<CComboBox>(comboId);
    if (!combo) return;
    combo->ResetContent();
    for (const auto& [text, data] : ParseChoices(leaf::ui::LoadResString(stringId))) {
        const int index = combo->AddString(text.c_str());
        combo->SetItemData(index, static_cast<LPARAM>(data));
    }
}

void CTOCStyleDlg::SelectByData(int comboId, DWORD data) {
    auto* combo = GetDlgItemAs<CComboBox>(comboId);
    if (!combo) return;
    for (int i = 0; i < combo->GetCount(); ++i) {
        if (static_cast<DWORD>(combo->GetItemData(i)) == data) {
            combo->SetCurSel(i);
            return;
        }
    }
}

void CTOCStyleDlg::SelectByText(int comboId, const CString& text) {
    auto* combo = GetDlgItemAs<CComboBox>(comboId);
    if (!combo) return;
    if (const int index = combo->FindString(-1, text.c_str()); index >= 0) combo->SetCurSel(index);
}

DWORD CTOCStyleDlg::SelectedData(int comboId) const {
    auto* combo = GetDlgItemAs<CComboBox>(comboId);
    if (!combo || combo->GetCurSel() < 0) return 0;
    return static_cast<DWORD>(combo->GetItemData(combo->GetCurSel()));
}

BOOL CTOCStyleDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_updating = true;
    if (auto* name = GetDlgItemAs<CEdit>(IDC_NAME)) name->SetLimitText(25);
    if (!m_newStyle) {
        if (CWnd* name = GetDlgItem(IDC_NAME)) name->ShowWindow(SW_HIDE);
        if (CWnd* name = GetDlgItem(IDC_NAME_READONLY)) {
            name->ShowWindow(SW_SHOW);
            name->SetWindowText(m_styleName.c_str());
        }
    }
    if (auto* base = GetDlgItemAs<CComboBox>(IDC_BASE)) {
        base->ResetContent();
        base->SetItemData(base->AddString(leaf::ui::LoadResString(IDS_NONE).c_str()), -1);
        for (const CString& name : m_existingStyles) base->AddString(name.c_str());
    }
    if (auto* levels = GetDlgItemAs<CListBox>(IDC_LEVEL)) {
        levels->ResetContent();
        for (int level = 1; level <= CTOCStyle::kLevelCount; ++level) levels->AddString(std::to_string(level).c_str());
        levels->SetCurSel(0);
    }
    FillChoices(IDC_FONT, IDS_FONTS);
    FillChoices(IDC_FONT_STYLE, IDS_FONT_STYLES);
    FillChoices(IDC_SIZE, IDS_SIZES);
    FillChoices(IDC_COLOR, IDS_COLORS);
    FillChoices(IDC_ALIGNMENT, IDS_ALIGNMENTS);
    // Held for a second, the spacing arrows move a line's worth of points at a time.
    const UDACCEL spacingAcceleration{1, 7};
    for (int spin : {IDC_BEFORE_SPIN, IDC_AFTER_SPIN}) {
        if (auto* control = GetDlgItemAs<CSpinButtonCtrl>(spin)) {
            control->SetRange(0, kMaxSpacing);
            control->SetAccel(1, &spacingAcceleration);
        }
    }
    for (int spin : {IDC_LEFT_SPIN, IDC_RIGHT_SPIN}) {
        if (auto* control = GetDlgItemAs<CSpinButtonCtrl>(spin)) control->SetRange(0, kMaxIndentTenths);
    }
    if (!m_preview.Create(this, IDC_PREVIEW, &m_style)) {
        m_updating = false;
        EndDialog(IDCANCEL);
        return FALSE;
    }
    if (auto* base = GetDlgItemAs<CComboBox>(IDC_BASE)) {
        const int own = m_newStyle ? -1 : base->FindStringExact(0, m_styleName.c_str());
        base->SetCurSel(own > 0 ? own : 0);
    }
    m_updating = false;
    OnBaseChanged();
    m_initialised = TRUE;
    return TRUE;
}

void CTOCStyleDlg::OnBaseChanged() {
    auto* base = GetDlgItemAs<CComboBox>(IDC_BASE);
    const int index = base ? base->GetCurSel() : 0;
    if (index <= 0) {
        m_style.SetDefaults();
    } else {
        CString name;
        base->GetLBText(index, name);
        if (!m_style.Load(leaf::toc::GetStylePath(name).c_str())) {
            Warn(IDS_LOAD_FAILED);
            base->SetCurSel(0);
            m_style.SetDefaults();
        }
    }
    if (auto* levels = GetDlgItemAs<CListBox>(IDC_LEVEL)) levels->SetCurSel(0);
    m_level = -1;  // nothing to check: the whole style was replaced
    ShowLevel(0);
}

void CTOCStyleDlg::OnLevelChanged() {
    auto* levels = GetDlgItemAs<CListBox>(IDC_LEVEL);
    if (!levels) return;
    const int chosen = levels->GetCurSel();
    if (chosen < 0 || chosen == m_level) return;
    if (m_level >= 0 && !ValidateLevel()) {
        levels->SetCurSel(m_level);
        return;
    }
    ShowLevel(chosen);
}

void CTOCStyleDlg::SetIndentText(int editId, double inches) {
    CString text;
    text.Format("%2.1f%s", inches, leaf::ui::LoadResString(IDS_INCH_MARK).c_str());
    SetDlgItemText(editId, text.c_str());
}

void CTOCStyleDlg::SetSpacingText(int editId, int points) {
    CString text;
    text.Format("%d%s", points, leaf::ui::LoadResString(IDS_POINTS).c_str());
    SetDlgItemText(editId, text.c_str());
}

void CTOCStyleDlg::ShowLevel(int index) {
    m_level = std::clamp(index, 0, CTOCStyle::kLevelCount - 1);
    const CTOCLevelStyle level = Current();
    m_updating = true;
    SelectByText(IDC_FONT, level.m_fontFamily);
    SelectByData(IDC_FONT_STYLE, (level.m_italic ? 1u : 0u) + (level.m_bold ? kBold : 0u));
    SelectByData(IDC_SIZE, static_cast<DWORD>(level.m_size));
    SelectByData(IDC_COLOR, level.m_color);
    SelectByData(IDC_ALIGNMENT, AlignmentCode(level.m_alignment));
    CheckDlgButton(IDC_ALL_CAPS, level.m_allCaps ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_UNDERLINE, level.m_underline ? BST_CHECKED : BST_UNCHECKED);
    SetIndentText(IDC_LEFT_INDENT, level.m_leftMargin);
    SetIndentText(IDC_RIGHT_INDENT, level.m_rightMargin);
    SetSpacingText(IDC_SPACE_BEFORE, level.m_spaceBefore);
    SetSpacingText(IDC_SPACE_AFTER, level.m_spaceAfter);
    const auto setSpin = [this](int id, int position) {
        if (auto* spin = GetDlgItemAs<CSpinButtonCtrl>(id)) spin->SetPos(position);
    };
    setSpin(IDC_LEFT_SPIN, static_cast<int>(std::lround(level.m_leftMargin * 10)));
    setSpin(IDC_RIGHT_SPIN, static_cast<int>(std::lround(level.m_rightMargin * 10)));
    setSpin(IDC_BEFORE_SPIN, level.m_spaceBefore);
    setSpin(IDC_AFTER_SPIN, level.m_spaceAfter);
    m_updating = false;
    m_preview.SetSelectedLevel(m_level);
    m_preview.ScrollToLevel();
}

void CTOCStyleDlg::RefreshPreview() {
    m_preview.ScrollToLevel();
    if (QWidget* widget = m_preview.GetWidget()) widget->update();
}

BOOL CTOCStyleDlg::ValidateLevel() {
    const CTOCLevelStyle& level = Current();
    const auto fail = [this](UINT message, int editId) {
        Warn(message);
        if (auto* edit = GetDlgItemAs<CEdit>(editId)) {
            edit->SetFocus();
            edit->SetSel(0, -1);
        }
        return FALSE;
    };
    if (level.m_leftMargin < 0 || level.m_leftMargin > kMaxIndent) return fail(IDS_BAD_MARGIN, IDC_LEFT_INDENT);
    if (level.m_rightMargin < 0 || level.m_rightMargin > kMaxIndent) return fail(IDS_BAD_MARGIN, IDC_RIGHT_INDENT);
    if (level.m_spaceBefore < 0 || level.m_spaceBefore > kMaxSpacing) return fail(IDS_BAD_SPACING, IDC_SPACE_BEFORE);
    if (level.m_spaceAfter < 0 || level.m_spaceAfter > kMaxSpacing) return fail(IDS_BAD_SPACING, IDC_SPACE_AFTER);
    return TRUE;
}

void CTOCStyleDlg::OnFontChanged() {
    if (m_updating || m_level < 0) return;
    auto* combo = GetDlgItemAs<CComboBox>(IDC_FONT);
    if (!combo || combo->GetCurSel() < 0) return;
    combo->GetLBText(combo->GetCurSel(), Current().m_fontFamily);
    RefreshPreview();
}

void CTOCStyleDlg::OnFontStyleChanged() {
    if (m_updating || m_level < 0) return;
    const DWORD data = SelectedData(IDC_FONT_STYLE);
    Current().m_italic = (data & kItalicBits) != 0;
    Current().m_bold = data > kItalicBits;
    RefreshPreview();
}

void CTOCStyleDlg::OnSizeChanged() {
    if (m_updating || m_level < 0) return;
    Current().m_size = static_cast<int>(SelectedData(IDC_SIZE));
    RefreshPreview();
}

void CTOCStyleDlg::OnColorChanged() {
    if (m_updating || m_level < 0) return;
    Current().m_color = SelectedData(IDC_COLOR);
    RefreshPreview();
}

void CTOCStyleDlg::OnAllCapsClicked() {
    if (m_level < 0) return;
    Current().m_allCaps = IsDlgButtonChecked(IDC_ALL_CAPS) ? 1 : 0;
    RefreshPreview();
}

void CTOCStyleDlg::OnUnderlineClicked() {
    if (m_level < 0) return;
    Current().m_underline = IsDlgButtonChecked(IDC_UNDERLINE) ? 1 : 0;
    RefreshPreview();
}

void CTOCStyleDlg::OnAlignmentChanged() {
    if (m_updating || m_level < 0) return;
    Current().m_alignment = AlignmentName(SelectedData(IDC_ALIGNMENT));
    RefreshPreview();
}

void CTOCStyleDlg::OnIndentChanged(int editId) {
    if (m_updating || m_level < 0) return;
    CString text;
    GetDlgItemText(editId, text);
    // Tenths of an inch, as the spin keeps them; the value is not clamped here, so that a
    // margin out of range is refused when the level is left.
    const int tenths = static_cast<int>(std::atof(text.c_str()) * 10 + 1e-9);
    if (auto* spin = GetDlgItemAs<CSpinButtonCtrl>(editId + 4)) spin->SetPos(tenths);
    (editId == IDC_LEFT_INDENT ? Current().m_leftMargin : Current().m_rightMargin) = tenths * 0.1;
    RefreshPreview();
}

void CTOCStyleDlg::OnSpacingChanged(int editId) {
    if (m_updating || !m_initialised || m_level < 0) return;
    CString text;
    GetDlgItemText(editId, text);
    int points = std::atoi(text.c_str());
    points -= points % kSpacingGrid;
    if (auto* spin = GetDlgItemAs<CSpinButtonCtrl>(editId + 4)) spin->SetPos(points);
    (editId == IDC_SPACE_BEFORE ? Current().m_spaceBefore : Current().m_spaceAfter) = points;
    RefreshPreview();
}

CSpinButtonCtrl* CTOCStyleDlg::ReadSpin(NMHDR* header, LRESULT* result, int& delta, int& editId, CString& text) {
    // The control's own step would not understand the inch mark of the indents.
    *result = 1;
    delta = reinterpret_cast<NMUPDOWN*>(header)->iDelta;
    const int spinId = static_cast<int>(header->idFrom);
    editId = EditForSpin(spinId);
    auto* spin = GetDlgItemAs<CSpinButtonCtrl>(spinId);
    if (m_level < 0 || !spin) return nullptr;
    GetDlgItemText(editId, text);
    return spin;
}

void CTOCStyleDlg::OnIndentSpin(NMHDR* header, LRESULT* result) {
    int delta = 0, editId = 0;
    CString text;
    CSpinButtonCtrl* spin = ReadSpin(header, result, delta, editId, text);
    if (!spin) return;
    const double value = std::atof(text.c_str());
    int position = 0;
    if (value < 0 || value > kMaxIndent) {
        position = 0;
    } else {
        const double tenths = value * 10;
        const int whole = static_cast<int>(tenths + 1e-9);
        // Stepping down from a value between two tenths stops at the lower tenth.
        if (delta < 0 && tenths - whole > 1e-9) {
            position = whole;
        } else {
            position = whole + delta;
        }
        if (position < 0 || position > kMaxIndentTenths) return;
    }
    m_updating = true;
    SetIndentText(editId, position * 0.1);
    m_updating = false;
    spin->SetPos(position);
    (editId == IDC_LEFT_INDENT ? Current().m_leftMargin : Current().m_rightMargin) = position * 0.1;
    RefreshPreview();
}

void CTOCStyleDlg::OnSpacingSpin(NMHDR* header, LRESULT* result) {
    int delta = 0, editId = 0;
    CString text;
    CSpinButtonCtrl* spin = ReadSpin(header, result, delta, editId, text);
    if (!spin) return;
    const int value = std::atoi(text.c_str());
    int position = 0;
    if (value >= 0 && value <= kMaxSpacing) {
        const int step = delta == 0 ? 1 : std::abs(delta);
        position = value - value % step + delta;
        if (position < 0 || position > kMaxSpacing) return;
    }
    m_updating = true;
    SetSpacingText(editId, position);
    m_updating = false;
    spin->SetPos(position);
    (editId == IDC_SPACE_BEFORE ? Current().m_spaceBefore : Current().m_spaceAfter) = position;
    RefreshPreview();
}

BOOL CTOCStyleDlg::StyleExists(const CString& name) const {
    CString stem = name;
    if (const int dot = stem.Find('.'); dot >= 0) stem = stem.Left(dot);
    if (stem.CompareNoCase(leaf::ui::LoadResString(IDS_NONE).str()) == 0 || stem.CompareNoCase("(none)") == 0 ||
        stem.CompareNoCase("none") == 0) {
        return TRUE;
    }
    for (const CString& existing : m_existingStyles) {
        if (stem.CompareNoCase(existing.str()) == 0) return TRUE;
    }
    // The styles that come with the program are never overwritten.
    return leaf::toc::IsBuiltInStyle(stem);
}

void CTOCStyleDlg::OnOK() {
    if (m_level >= 0 && !ValidateLevel()) return;
    if (m_newStyle) {
        CString name;
        GetDlgItemText(IDC_NAME, name);
        name.Trim();
        const auto refuse = [this](UINT message) {
            Warn(message);
            if (auto* edit = GetDlgItemAs<CEdit>(IDC_NAME)) {
                edit->SetFocus();
                edit->SetSel(0, -1);
            }
        };
        if (name.IsEmpty()) return refuse(IDS_NO_NAME);
        if (name.FindOneOf("\\/:*?\"<>|") >= 0) return refuse(IDS_BAD_NAME);
        if (StyleExists(name)) return refuse(IDS_STYLE_EXISTS);
        m_styleName = name;
    }
    const CString path = leaf::toc::GetStylePath(m_styleName);
    if (!m_style.Save(path.c_str())) {
        AfxMessageBox(leaf::ui::FormatResString(IDS_NOT_VALID, path.c_str()).c_str(), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    CDialog::OnOK();
}

void CTOCStyleDlg::OnHelp() { CDialog::OnHelp(); }

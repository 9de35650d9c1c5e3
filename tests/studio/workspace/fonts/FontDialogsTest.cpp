// The Select Fonts to Embed dialog over font objects as the font embedder hands them out,
// and the character grid of the Character Subset dialog.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <memory>

#include "platform/com/DispatchTable.h"
#include "platform/ui/ListCtrl.h"
#include "platform/ui/ScriptedPeople.h"
#include "platform/ui/Wnd.h"
#include "studio/project/LeafcraftDoc.h"
#include "studio/workspace/CharGridWnd.h"
#include "studio/workspace/FontEmbedDlg.h"

namespace {

constexpr IID kFontIid = leaf::MakeGuid("{6B0F3D9A-2C41-4E57-8A19-3F5C7E2D1B64}");
constexpr IID kFontListIid = leaf::MakeGuid("{6B0F3D9A-2C41-4E57-8A19-3F5C7E2D1B65}");

// A font object with the members the dialog reads and writes.
class FakeFont final : public leaf::DispatchImpl<FakeFont> {
public:
    FakeFont(std::string name, LONG weight, LONG italic, LONG kind, std::u16string characters, bool embed)
        : name(std::move(name)), weight(weight), italic(italic), kind(kind), characters(std::move(characters)),
          embed(embed) {}

    static const leaf::DispatchTable<FakeFont>& GetDispatchTable() {
        using leaf::MemberKind;
        static const leaf::DispInterfaceDescription description{
            "FakeFont", kFontIid, "",
            {{"embed", 1, MemberKind::PropertyGet, VT_BOOL},
             {"embed", 1, MemberKind::PropertyPut, VT_EMPTY, {{"value", VT_BOOL}}},
             {"name", 2, MemberKind::PropertyGet, VT_BSTR},
             {"weight", 3, MemberKind::PropertyGet, VT_I4},
             {"italic", 4, MemberKind::PropertyGet, VT_I4},
             {"kind", 5, MemberKind::PropertyGet, VT_I4},
             {"characters", 6, MemberKind::PropertyGet, VT_VARIANT}}};
        static const leaf::DispatchTable<FakeFont> table(
            description, {{1, MemberKind::PropertyGet, &FakeFont::GetEmbed},
                          {1, MemberKind::PropertyPut, &FakeFont::PutEmbed},
                          {2, MemberKind::PropertyGet, &FakeFont::GetName},
                          {3, MemberKind::PropertyGet, &FakeFont::GetWeight},
                          {4, MemberKind::PropertyGet, &FakeFont::GetItalic},
                          {5, MemberKind::PropertyGet, &FakeFont::GetKind},
                          {6, MemberKind::PropertyGet, &FakeFont::GetCharacters}});
        return table;
    }

    leaf::Variant GetEmbed(const leaf::DispatchArguments&) { return leaf::Variant(embed); }
    leaf::Variant PutEmbed(const leaf::DispatchArguments& arguments) {
        embed = arguments.Bool(0);
        embedWritten = true;
        return leaf::Variant();
    }
    leaf::Variant GetName(const leaf::DispatchArguments&) {
        if (unreadable)
            throw leaf::AutomationException(E_FAIL);
        return leaf::Variant(name);
    }
    leaf::Variant GetWeight(const leaf::DispatchArguments&) { return leaf::Variant(weight); }
    leaf::Variant GetItalic(const leaf::DispatchArguments&) { return leaf::Variant(italic); }
    leaf::Variant GetKind(const leaf::DispatchArguments&) { return leaf::Variant(kind); }
    leaf::Variant GetCharacters(const leaf::DispatchArguments&) {
        return leaf::Variant(std::u16string_view(characters));
    }

    std::string name;
    LONG weight;
    LONG italic;
    LONG kind;
    std::u16string characters;
    bool embed;
    bool embedWritten = false;
    bool unreadable = false;   // every read of the name fails
};

class FakeFontList final : public leaf::DispatchImpl<FakeFontList> {
public:
    static const leaf::DispatchTable<FakeFontList>& GetDispatchTable() {
        using leaf::MemberKind;
        static const leaf::DispInterfaceDescription description{
            "FakeFontList", kFontListIid, "",
            {{"Count", 1, MemberKind::PropertyGet, VT_I4},
             {"Item", 2, MemberKind::PropertyGet, VT_DISPATCH, {{"index", VT_I4}}}}};
        static const leaf::DispatchTable<FakeFontList> table(
            description, {{1, MemberKind::PropertyGet, &FakeFontList::Count},
                          {2, MemberKind::PropertyGet, &FakeFontList::Item}});
        return table;
    }

    leaf::Variant Count(const leaf::DispatchArguments&) { return leaf::Variant(LONG(fonts.size()) + missing); }
    leaf::Variant Item(const leaf::DispatchArguments& arguments) {
        const LONG index = arguments.Long(0);
        if (index < 1 || index > LONG(fonts.size()))
            throw leaf::AutomationException(E_INVALIDARG);
        return leaf::Variant(static_cast<IDispatch*>(fonts[size_t(index - 1)].Get()));
    }

    leaf::ComPtr<FakeFont> Add(std::string name, LONG weight, LONG italic, LONG kind, std::u16string characters,
                               bool embed) {
        fonts.emplace_back(new FakeFont(std::move(name), weight, italic, kind, std::move(characters), embed));
        return fonts.back();
    }

    std::vector<leaf::ComPtr<FakeFont>> fonts;
    LONG missing = 0;   // items counted but not handed out
};

class FontEmbedDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        georgia = list->Add("Georgia", 400, 0, kEmbedFontNative, u"abc", false);
        times = list->Add("Times New Roman", 700, 0, kEmbedFontEmbeddable, u"abcdef", true);
        arial = list->Add("Arial", 400, 1, kEmbedFontNotEmbeddable, u"xy", false);
        serif = list->Add("serif", 400, 0, kEmbedFontGeneric, u"", false);
        odd = list->Add("Zapf", 400, 0, kEmbedFontUnknown, u"z", false);
    }

    // Runs the dialog; `script` acts on its list, then the dialog ends with `end`.
    int Run(std::function<void(CFontEmbedDlg&, CListCtrl&)> script, int end = IDOK) {
        CFontEmbedDlg dialog(list.Get(), &document, nullptr);
        people.AnswerDialog([&dialog, script, end](QDialog&) {
            CListCtrl* fontList = dialog.GetDlgItemAs<CListCtrl>(1135);
            ASSERT_NE(nullptr, fontList);
            script(dialog, *fontList);
            if (end == IDOK)
                dialog.OnOK();
            else
                dialog.EndDialog(end);
        });
        return dialog.DoModal();
    }

    static int Row(CListCtrl& fontList, const char* text) {
        for (int i = 0; i < fontList.GetItemCount(); ++i)
            if (fontList.GetItemText(i, 1) == text)
                return i;
        return -1;
    }

    static std::vector<std::string> Order(CListCtrl& fontList) {
        std::vector<std::string> names;
        for (int i = 0; i < fontList.GetItemCount(); ++i)
            names.push_back(fontList.GetItemText(i, 1).str());
        return names;
    }

    leaf::ui::ScriptedPeople people;
    CLeafcraftDoc document;
    leaf::ComPtr<FakeFontList> list{new FakeFontList};
    leaf::ComPtr<FakeFont> georgia, times, arial, serif, odd;
};

TEST_F(FontEmbedDlgTest, ListsEveryFontWithItsStatusSortedByName) {
    Run([](CFontEmbedDlg&, CListCtrl& fontList) {
        EXPECT_EQ((std::vector<std::string>{"Arial Italic", "Georgia", "serif", "Times New Roman Bold", "Zapf"}),
                  Order(fontList));
        const int timesRow = Row(fontList, "Times New Roman Bold");
        EXPECT_EQ(CFontEmbedDlg::kTicked, fontList.GetItemImage(timesRow));
        EXPECT_EQ(CString("Embeddable"), fontList.GetItemText(timesRow, 2));
        EXPECT_EQ(CString("6"), fontList.GetItemText(timesRow, 3));
        EXPECT_EQ(CFontEmbedDlg::kUnticked, fontList.GetItemImage(Row(fontList, "Georgia")));
        EXPECT_EQ(CString("Native"), fontList.GetItemText(Row(fontList, "Georgia"), 2));
        EXPECT_EQ(CFontEmbedDlg::kUnavailable, fontList.GetItemImage(Row(fontList, "Arial Italic")));
        EXPECT_EQ(CString("Not Embeddable"), fontList.GetItemText(Row(fontList, "Arial Italic"), 2));
        EXPECT_EQ(CFontEmbedDlg::kUnavailable, fontList.GetItemImage(Row(fontList, "serif")));
        EXPECT_EQ(CFontEmbedDlg::kUnknown, fontList.GetItemImage(Row(fontList, "Zapf")));
        EXPECT_EQ(CString("Unknown Font"), fontList.GetItemText(Row(fontList, "Zapf"), 2));
    });
}

TEST_F(FontEmbedDlgTest, AStoredChoiceWinsOverTheProposal) {
    document.SetFontChoice("times new roman bold", 1);
    Run([](CFontEmbedDlg&, CListCtrl& fontList) {
        EXPECT_EQ(CFontEmbedDlg::kUnticked, fontList.GetItemImage(Row(fontList, "Times New Roman Bold")));
    });
}

TEST_F(FontEmbedDlgTest, OkWritesTheTicksIntoTheFontsAndTheProject) {
    EXPECT_EQ(IDOK, Run([](CFontEmbedDlg& dialog, CListCtrl& fontList) {
        dialog.OnClickFont(Row(fontList, "Georgia"), true);
        dialog.OnClickFont(Row(fontList, "Times New Roman Bold"), true);
        // A click beside the tick changes nothing.
        dialog.OnClickFont(Row(fontList, "Times New Roman Bold"), false);
        // Fonts that cannot be chosen do not change.
        dialog.OnClickFont(Row(fontList, "Arial Italic"), true);
        EXPECT_EQ(CFontEmbedDlg::kUnavailable, fontList.GetItemImage(Row(fontList, "Arial Italic")));
    }));
    EXPECT_TRUE(georgia->embed);
    EXPECT_FALSE(times->embed);
    EXPECT_FALSE(arial->embedWritten);
    EXPECT_FALSE(serif->embedWritten);
    EXPECT_EQ(2, document.GetFontChoice("georgia"));
    EXPECT_EQ(1, document.GetFontChoice("times new roman bold"));
    EXPECT_EQ(0, document.GetFontChoice("arial italic"));
    EXPECT_TRUE(document.IsModified());

    // A later build of the same project shows the stored ticks.
    Run([](CFontEmbedDlg&, CListCtrl& fontList) {
        EXPECT_EQ(CFontEmbedDlg::kTicked, fontList.GetItemImage(Row(fontList, "Georgia")));
        EXPECT_EQ(CFontEmbedDlg::kUnticked, fontList.GetItemImage(Row(fontList, "Times New Roman Bold")));
    });
}

TEST_F(FontEmbedDlgTest, OkWithoutChangesLeavesTheProjectUnmodified) {
    document.SetFontChoice("georgia", 1);
    document.SetFontChoice("times new roman bold", 2);
    document.SetModifiedFlag(FALSE);
    Run([](CFontEmbedDlg&, CListCtrl&) {});
    EXPECT_FALSE(document.IsModified());
}

TEST_F(FontEmbedDlgTest, CancelChangesNothing) {
    EXPECT_EQ(IDCANCEL, Run([](CFontEmbedDlg& dialog, CListCtrl& fontList) {
        dialog.OnClickFont(Row(fontList, "Georgia"), true);
    }, IDCANCEL));
    EXPECT_FALSE(georgia->embedWritten);
    EXPECT_EQ(0, document.GetFontChoice("georgia"));
}

TEST_F(FontEmbedDlgTest, SpaceTogglesSelectedRowsUpToOneThatCannotChange) {
    Run([](CFontEmbedDlg& dialog, CListCtrl& fontList) {
        // Order: Arial Italic, Georgia, serif, Times New Roman Bold, Zapf.
        fontList.SetItemState(Row(fontList, "Georgia"), LVIS_SELECTED, LVIS_SELECTED);
        fontList.SetItemState(Row(fontList, "serif"), LVIS_SELECTED, LVIS_SELECTED);
        fontList.SetItemState(Row(fontList, "Times New Roman Bold"), LVIS_SELECTED, LVIS_SELECTED);
        EXPECT_TRUE(dialog.OnChar(' '));
        EXPECT_EQ(CFontEmbedDlg::kTicked, fontList.GetItemImage(Row(fontList, "Georgia")));
        EXPECT_EQ(CFontEmbedDlg::kUnavailable, fontList.GetItemImage(Row(fontList, "serif")));
        // The row after the one that cannot change is left as it was.
        EXPECT_EQ(CFontEmbedDlg::kTicked, fontList.GetItemImage(Row(fontList, "Times New Roman Bold")));
    });
}

TEST_F(FontEmbedDlgTest, ColumnClicksSortAndFlipTheDirection) {
    Run([](CFontEmbedDlg& dialog, CListCtrl& fontList) {
        dialog.OnColumnClick(1);
        dialog.OnColumnClick(1);
        EXPECT_EQ((std::vector<std::string>{"Zapf", "Times New Roman Bold", "serif", "Georgia", "Arial Italic"}),
                  Order(fontList));
        dialog.OnColumnClick(2);   // by kind, ascending: Native, Generic, Embeddable, Not Embeddable, Unknown
        EXPECT_EQ((std::vector<std::string>{"Georgia", "serif", "Times New Roman Bold", "Arial Italic", "Zapf"}),
                  Order(fontList));
        dialog.OnColumnClick(3);   // by characters used
        EXPECT_EQ("serif", Order(fontList).front());
        EXPECT_EQ("Times New Roman Bold", Order(fontList).back());
    });
}

TEST_F(FontEmbedDlgTest, DoubleClickShowsTheCharactersOfTheFont) {
    Run([this](CFontEmbedDlg& dialog, CListCtrl& fontList) {
        people.AnswerDialog([](QDialog& subset) {
            EXPECT_EQ(QString("Characters from 'Times New Roman'"), subset.windowTitle());
            subset.reject();
        });
        dialog.OnDblClkFont(Row(fontList, "Times New Roman Bold"));
    });
    const auto dialogs = people.Asked("dialog");
    ASSERT_EQ(2u, dialogs.size());
    EXPECT_EQ(761u, dialogs[1].flags);
}

TEST_F(FontEmbedDlgTest, FontsThatCannotBeReadAreLeftOut) {
    list->missing = 1;
    list->Add("Broken", 400, 0, kEmbedFontEmbeddable, u"q", true)->unreadable = true;
    EXPECT_EQ(IDOK, Run([](CFontEmbedDlg&, CListCtrl& fontList) {
        EXPECT_EQ((std::vector<std::string>{"Arial Italic", "Georgia", "serif", "Times New Roman Bold", "Zapf"}),
                  Order(fontList));
    }));
    EXPECT_TRUE(times->embedWritten);
}

TEST_F(FontEmbedDlgTest, TheCharacterGridTakesThePlaceholdersPlace) {
    Run([this](CFontEmbedDlg& dialog, CListCtrl& fontList) {
        people.AnswerDialog([](QDialog& subset) {
            QWidget* grid = leaf::ui::FindControl(&subset, 1141);
            ASSERT_NE(nullptr, grid);
            EXPECT_EQ(nullptr, qobject_cast<QLabel*>(grid));
            EXPECT_TRUE(grid->isVisibleTo(&subset));
            EXPECT_TRUE(subset.findChildren<QLabel*>().isEmpty());
            // The first size is the smallest the dialog may take.
            EXPECT_EQ(subset.size(), subset.minimumSize());
            subset.reject();
        });
        dialog.OnDblClkFont(Row(fontList, "Georgia"));
    });
    EXPECT_EQ(2u, people.Asked("dialog").size());
}

TEST(CharGridWnd, SortsTheCharactersWithThoseOutsideAsciiFirst) {
    EXPECT_EQ("abc", CCharGridWnd("Serif", 400, FALSE, "cba").GetCharacters());
    EXPECT_EQ("\xC3\xA0\xC3\xA9" "AZa", CCharGridWnd("Serif", 400, FALSE, "a\xC3\xA9Z\xC3\xA0" "A").GetCharacters());
}

TEST(CharGridWnd, EveryLineTakesAtLeastOneCharacter) {
    CCharGridWnd grid("Serif", 700, TRUE, "abcdefghij");
    const auto narrow = grid.LayoutLines(1);
    ASSERT_EQ(10u, narrow.size());
    EXPECT_EQ("a", narrow.front());
    const auto wide = grid.LayoutLines(100000);
    ASSERT_EQ(1u, wide.size());
    EXPECT_EQ("abcdefghij", wide.front());
    EXPECT_TRUE(CCharGridWnd("Serif", 400, FALSE, "").LayoutLines(100).empty());
}

}  // namespace

#include <gtest/gtest.h>

#include "platform/com/EnumVariant.h"
#include "platform/com/ModuleLock.h"

namespace {

using leaf::Variant;

leaf::ComPtr<IEnumVARIANT> MakeEnumerator(std::vector<Variant> values) {
    leaf::ComPtr<IEnumVARIANT> enumerator;
    EXPECT_EQ(leaf::EnumVariant::Create(std::move(values), enumerator.Receive()), S_OK);
    return enumerator;
}

std::vector<std::string> Take(IEnumVARIANT* enumerator, ULONG count, HRESULT expected) {
    std::vector<VARIANT> values(count);
    ULONG fetched = 123;
    EXPECT_EQ(enumerator->Next(count, values.data(), &fetched), expected);
    std::vector<std::string> texts;
    for (ULONG i = 0; i < fetched; ++i) {
        texts.push_back(Variant::Take(&values[i]).ToUtf8());
    }
    return texts;
}

TEST(EnumVariantTest, NextSkipResetWalkTheList) {
    auto enumerator = MakeEnumerator({Variant("a"), Variant("b"), Variant("c"), Variant(LONG{4})});
    EXPECT_EQ(Take(enumerator, 2, S_OK), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(enumerator->Skip(1), S_OK);
    EXPECT_EQ(Take(enumerator, 5, S_FALSE), (std::vector<std::string>{"4"}));
    EXPECT_EQ(Take(enumerator, 1, S_FALSE), (std::vector<std::string>{}));
    EXPECT_EQ(enumerator->Skip(1), S_FALSE);
    EXPECT_EQ(enumerator->Reset(), S_OK);
    EXPECT_EQ(enumerator->Skip(10), S_FALSE);
    EXPECT_EQ(enumerator->Reset(), S_OK);
    EXPECT_EQ(Take(enumerator, 1, S_OK), (std::vector<std::string>{"a"}));
}

TEST(EnumVariantTest, ClonesShareTheListAndKeepItAlive) {
    LONG before = leaf::ModuleLock::Count();
    leaf::ComPtr<IEnumVARIANT> clone;
    {
        auto enumerator = MakeEnumerator({Variant("x"), Variant("y"), Variant("z")});
        Take(enumerator, 1, S_OK);
        ASSERT_EQ(enumerator->Clone(clone.Receive()), S_OK);
        EXPECT_EQ(Take(enumerator, 5, S_FALSE), (std::vector<std::string>{"y", "z"}));
    }
    // The source is gone; the clone still reads the shared list from where it was made.
    EXPECT_EQ(Take(clone, 5, S_FALSE), (std::vector<std::string>{"y", "z"}));
    clone = nullptr;
    EXPECT_EQ(leaf::ModuleLock::Count(), before);
}

TEST(EnumVariantTest, ValuesAreCopiesTheCallerOwns) {
    auto enumerator = MakeEnumerator({Variant("shared")});
    VARIANT value;
    ASSERT_EQ(enumerator->Next(1, &value, nullptr), S_OK);
    VariantClear(&value);
    enumerator->Reset();
    EXPECT_EQ(Take(enumerator, 1, S_OK), (std::vector<std::string>{"shared"}));
}

}  // namespace

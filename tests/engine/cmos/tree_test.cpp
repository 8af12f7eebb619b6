// The CMOS tree through its interfaces: lock and hide, choices, review flags, the list protocol.
#include "tests/engine/cmos/cmos_test_support.h"

#include "platform/storage/memory_stream.h"

#include <gtest/gtest.h>

#include <tuple>

namespace cvk::testing {
namespace {

class CmosTree : public ::testing::Test {
protected:
    void SetUp() override {
        cmos_ = BuildCmos(BoardMap(OneMenuBoard(
            R"([{"setting": "A", "choices": ["Off", "On"], "default": "On"},
                {"setting": "B", "choices": ["Off", "On"]},
                {"setting": "C", "choices": ["Low", "High"]}])",
            2, 1)));
        a_ = FindSetting(*cmos_, {u"Main"}, u"A");
        b_ = FindSetting(*cmos_, {u"Main"}, u"B");
        ASSERT_NE(a_, nullptr);
        ASSERT_NE(b_, nullptr);
    }
    LONG Count(HRESULT (Cmos::*getter)(LONG*)) {
        LONG count = -1;
        EXPECT_EQ((cmos_.get()->*getter)(&count), S_OK);
        return count;
    }
    static bool Flag(SettingNode* setting, HRESULT (SettingNode::*getter)(VARIANT_BOOL*)) {
        VARIANT_BOOL value = VARIANT_FALSE;
        EXPECT_EQ((setting->*getter)(&value), S_OK);
        return value != VARIANT_FALSE;
    }

    ComPtr<Cmos> cmos_;
    SettingNode* a_ = nullptr;
    SettingNode* b_ = nullptr;
};

TEST_F(CmosTree, LockAndHideExcludeEachOtherAndAreCounted) {
    EXPECT_EQ(a_->put_Hidden(VARIANT_TRUE), S_OK);
    EXPECT_EQ(Count(&Cmos::get_CurNumHideSettings), 1);
    EXPECT_EQ(a_->put_Locked(5), S_OK); // any nonzero value is TRUE
    EXPECT_TRUE(Flag(a_, &SettingNode::get_Locked));
    EXPECT_FALSE(Flag(a_, &SettingNode::get_Hidden));
    EXPECT_EQ(Count(&Cmos::get_CurNumHideSettings), 0);
    EXPECT_EQ(Count(&Cmos::get_CurNumLockSettings), 1);

    // The maxima are the client's to keep: the engine counts past them.
    EXPECT_EQ(b_->put_Locked(VARIANT_TRUE), S_OK);
    EXPECT_EQ(FindSetting(*cmos_, {u"Main"}, u"C")->put_Locked(VARIANT_TRUE), S_OK);
    EXPECT_EQ(Count(&Cmos::get_CurNumLockSettings), 3);
    EXPECT_EQ(Count(&Cmos::get_MaxNumLockSettings), 2);
    EXPECT_EQ(Count(&Cmos::get_MaxNumHideSettings), 1);

    EXPECT_EQ(b_->put_Hidden(VARIANT_TRUE), S_OK);
    EXPECT_FALSE(Flag(b_, &SettingNode::get_Locked));
    EXPECT_EQ(cmos_->ClearLockHideSettings(), S_OK);
    EXPECT_EQ(Count(&Cmos::get_CurNumLockSettings), 0);
    EXPECT_EQ(Count(&Cmos::get_CurNumHideSettings), 0);
}

TEST_F(CmosTree, LockHideSupportFollowsTheMaxima) {
    VARIANT_BOOL supported = VARIANT_FALSE;
    EXPECT_EQ(cmos_->get_BiosSupportsLockHide(&supported), S_OK);
    EXPECT_EQ(supported, VARIANT_TRUE);
    for (auto [hide, lock, expected] :
         {std::tuple{0u, 0u, VARIANT_FALSE}, std::tuple{0u, 1u, VARIANT_TRUE},
          std::tuple{1u, 0u, VARIANT_TRUE}}) {
        cmos_->SetLimits(hide, lock);
        EXPECT_EQ(cmos_->get_BiosSupportsLockHide(&supported), S_OK);
        EXPECT_EQ(supported, expected) << hide << " " << lock;
    }
    EXPECT_EQ(cmos_->get_BiosSupportsLockHide(nullptr), E_POINTER);
}

TEST_F(CmosTree, PuttingTheCurrentChoiceMatchesValueAndName) {
    // A choice of another tree with the same value and name selects the equal element.
    auto other = MakeObject<ChoiceNode>();
    other->Initialize();
    other->put_CmosValue(0);
    other->SetName(Bstr(u"Off"));
    EXPECT_EQ(a_->put_CurrentChoice(other.get()), S_OK);
    EXPECT_EQ(CurrentName(*a_), u"Off");
    EXPECT_EQ(a_->Choices().At(1).IsCurrent(), false);

    // Same value, other name: nothing matches, the default comes back and the call fails.
    other->SetName(Bstr(u"OFF"));
    EXPECT_EQ(a_->put_CurrentChoice(other.get()), E_FAIL);
    EXPECT_EQ(CurrentName(*a_), u"On");
    EXPECT_EQ(a_->put_CurrentChoice(nullptr), E_POINTER);

    ComPtr<IChoiceNode> current;
    EXPECT_EQ(a_->get_CurrentChoice(current.put()), S_OK);
    Bstr name;
    EXPECT_EQ(current->get_Name(name.put()), S_OK);
    EXPECT_EQ(name.view(), u"On");
}

TEST_F(CmosTree, EmptyChoiceListHasNoCurrentChoiceButSucceeds) {
    auto setting = MakeObject<SettingNode>();
    setting->Initialize();
    ComPtr<IChoiceNode> choice;
    EXPECT_EQ(setting->get_CurrentChoice(choice.put()), S_OK);
    EXPECT_EQ(choice.get(), nullptr);
    EXPECT_EQ(setting->get_DefaultChoice(choice.put()), E_FAIL);
    VARIANT_BOOL has = VARIANT_TRUE;
    EXPECT_EQ(setting->get_HasChoices(&has), S_OK);
    EXPECT_EQ(has, VARIANT_FALSE);
}

TEST_F(CmosTree, ReviewFlagsLeaveTheChangedStateAlone) {
    ComPtr<IStream> stream;
    ASSERT_EQ(CreateMemoryStream(stream.put()), S_OK);
    ASSERT_EQ(cmos_->Save(stream.get(), TRUE), S_OK);
    ASSERT_EQ(cmos_->IsDirty(), S_FALSE);
    EXPECT_EQ(b_->put_NeedsReview(VARIANT_TRUE), S_OK);
    VARIANT_BOOL review = VARIANT_FALSE;
    EXPECT_EQ(cmos_->get_NeedsReview(&review), S_OK);
    EXPECT_EQ(review, VARIANT_TRUE);
    EXPECT_EQ(cmos_->ClearAllReviewFlags(), S_OK);
    EXPECT_EQ(cmos_->get_NeedsReview(&review), S_OK);
    EXPECT_EQ(review, VARIANT_FALSE);
    EXPECT_EQ(cmos_->IsDirty(), S_FALSE);
}

TEST_F(CmosTree, RestoringDefaultsWalksTheWholeTree) {
    a_->put_CurrentChoice(&a_->Choices().At(0));
    b_->put_CurrentChoice(&b_->Choices().At(1));
    EXPECT_EQ(cmos_->RestoreHalvexDefaults(), S_OK);
    EXPECT_EQ(CurrentName(*a_), u"On");
    EXPECT_EQ(CurrentName(*b_), u"Off");
}

TEST_F(CmosTree, ChoiceGettersFailOnAChoiceThatIsNotValid) {
    auto choice = MakeObject<ChoiceNode>(); // created, not initialised
    Bstr name;
    VARIANT_BOOL flag = VARIANT_FALSE;
    SHORT value = 0;
    EXPECT_EQ(choice->get_Name(name.put()), E_FAIL);
    EXPECT_EQ(choice->get_Default(&flag), E_FAIL);
    EXPECT_EQ(choice->get_Current(&flag), E_FAIL);
    EXPECT_EQ(choice->put_Current(VARIANT_TRUE), E_FAIL);
    EXPECT_EQ(choice->get_CmosValue(&value), E_FAIL);
    EXPECT_EQ(choice->SetDefault(true), E_FAIL);
    EXPECT_EQ(choice->put_Name(nullptr), S_OK); // no validity check
    EXPECT_EQ(choice->get_Valid(&flag), S_OK);
    EXPECT_EQ(flag, VARIANT_FALSE);

    auto group = MakeObject<GroupNode>();
    ComPtr<ISettingList> settings;
    EXPECT_EQ(group->get_SettingList(settings.put()), E_FAIL);
}

TEST(ListProtocol, WalksWithFirstNextAndEol) {
    auto list = MakeObject<ChoiceList>();
    ComPtr<IChoiceNode> element;
    VARIANT_BOOL eol = VARIANT_FALSE;
    EXPECT_EQ(list->GetFirst(element.put()), S_OK); // empty: null and success
    EXPECT_EQ(element.get(), nullptr);
    EXPECT_EQ(list->get_EOL(&eol), S_OK);
    EXPECT_EQ(eol, VARIANT_TRUE);

    std::vector<ComPtr<ChoiceNode>> choices;
    for (SHORT value : {1, 2}) {
        choices.push_back(MakeObject<ChoiceNode>());
        choices.back()->Initialize();
        choices.back()->put_CmosValue(value);
        EXPECT_EQ(list->Append(choices.back().get()), S_OK);
    }
    EXPECT_EQ(choices[0]->ReferenceCount(), 2u); // the list holds one
    LONG count = 0;
    EXPECT_EQ(list->get_Count(&count), S_OK);
    EXPECT_EQ(count, 2);

    std::vector<SHORT> seen;
    ASSERT_EQ(list->GetFirst(element.put()), S_OK);
    for (list->get_EOL(&eol); !eol; list->get_EOL(&eol)) {
        SHORT value = 0;
        element->get_CmosValue(&value);
        seen.push_back(value);
        ASSERT_EQ(list->GetNext(element.put()), S_OK);
    }
    EXPECT_EQ(seen, (std::vector<SHORT>{1, 2}));
    EXPECT_EQ(element.get(), nullptr);
    EXPECT_EQ(list->GetNext(element.put()), E_FAIL); // already past the end

    EXPECT_EQ(list->Append(nullptr), E_POINTER);
    EXPECT_EQ(list->GetFirst(nullptr), E_POINTER);
    EXPECT_EQ(list->PopBack(), S_OK);
    EXPECT_EQ(choices[1]->ReferenceCount(), 1u); // released
    EXPECT_EQ(list->get_Count(&count), S_OK);
    EXPECT_EQ(count, 1);
}

TEST(ListProtocol, AnInvalidListRefusesToWalk) {
    auto list = MakeObject<ChoiceList>();
    auto choice = MakeObject<ChoiceNode>();
    EXPECT_EQ(list->put_Valid(VARIANT_FALSE), S_OK);
    ComPtr<IChoiceNode> element;
    LONG count = 0;
    VARIANT_BOOL eol = VARIANT_FALSE;
    EXPECT_EQ(list->GetFirst(element.put()), E_FAIL);
    EXPECT_EQ(list->GetNext(element.put()), E_FAIL);
    EXPECT_EQ(list->get_Count(&count), E_FAIL);
    EXPECT_EQ(list->get_EOL(&eol), E_FAIL);
    EXPECT_EQ(list->Append(choice.get()), E_FAIL);
    EXPECT_EQ(list->PopBack(), S_OK);
}

TEST(ListProtocol, RecognisesOnlyTheEnginesOwnNodes) {
    auto group = MakeObject<GroupNode>();
    auto setting = MakeObject<SettingNode>();
    IUnknown* groupUnknown = static_cast<IGroupNode*>(group.get());
    EXPECT_EQ(ImplementationOf<SettingNode>(groupUnknown).get(), nullptr);
    EXPECT_EQ(ImplementationOf<SettingNode>(static_cast<ISettingNode*>(setting.get())).get(),
              setting.get());
}

} // namespace
} // namespace cvk::testing

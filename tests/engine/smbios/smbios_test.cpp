// The SMBIOS list: its fixed strings, length limits, prompts, INI section and record.
#include "engine/include/engine_status.h"
#include "engine/output/ini_writer.h"
#include "engine/smbios/smbios_list.h"
#include "platform/storage/memory_stream.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <string>

namespace cvk::testing {
namespace {

std::u16string Repeat(char16_t c, std::size_t n) {
    return std::u16string(n, c);
}

HRESULT PutValue(ISmbiosNode& node, std::u16string_view text) {
    Bstr value(text);
    return node.put_Value(value.get());
}

std::u16string ValueOf(ISmbiosNode& node) {
    Bstr value;
    node.get_Value(value.put());
    return value.str();
}

std::string Saved(SmbiosList& list, BOOL clearDirty = TRUE) {
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateMemoryStream(stream.put()), S_OK);
    EXPECT_EQ(list.Save(stream.get(), clearDirty), S_OK);
    std::string bytes;
    GetMemoryStreamBytes(stream.get(), &bytes);
    return bytes;
}

HRESULT LoadInto(SmbiosList& list, std::string_view bytes) {
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateMemoryStreamOn(bytes, stream.put()), S_OK);
    return list.Load(stream.get());
}

std::string FloatBytes(float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    std::string bytes(4, '\0');
    std::memcpy(bytes.data(), &bits, 4);
    return bytes;
}

TEST(SmbiosListTest, FixedTableInOrder) {
    auto list = MakeObject<SmbiosList>();
    const char16_t* expected[][2] = {
        {u"System Manufacturer", u"SystemManufacturer"},
        {u"System Product Name", u"SystemProduct"},
        {u"System Version", u"SystemVersion"},
        {u"System Serial Number", u"SystemSerialNum"},
        {u"Chassis Manufacturer", u"ChassisManufacturer"},
        {u"Chassis Version", u"ChassisVersion"},
        {u"Chassis Serial Number", u"ChassisSerialNum"},
        {u"Chassis Asset Tag", u"ChassisAssetTag"},
    };
    std::size_t i = 0;
    ComPtr<ISmbiosNode> node;
    VARIANT_BOOL eol = VARIANT_TRUE;
    ASSERT_EQ(list->GetFirst(node.put()), S_OK);
    for (list->get_EOL(&eol); !eol; list->get_EOL(&eol), ++i) {
        ASSERT_LT(i, 8u);
        Bstr name, keyword;
        node->get_DisplayName(name.put());
        node->get_IniKeyword(keyword.put());
        EXPECT_EQ(name.view(), expected[i][0]);
        EXPECT_EQ(keyword.view(), expected[i][1]);
        VARIANT_BOOL prompt = VARIANT_TRUE;
        node->get_Prompt(&prompt);
        EXPECT_EQ(prompt, VARIANT_FALSE);
        ASSERT_EQ(list->GetNext(node.put()), S_OK);
    }
    EXPECT_EQ(i, 8u);
    EXPECT_EQ(node.get(), nullptr);
    EXPECT_EQ(list->GetNext(node.put()), E_FAIL);
    // A second InitList leaves the eight strings alone.
    EXPECT_EQ(list->InitList(), E_FAIL);
    LONG count = 0;
    list->get_Count(&count);
    EXPECT_EQ(count, 8);
}

TEST(SmbiosListTest, ValueLimitsCutAndReport) {
    auto list = MakeObject<SmbiosList>();
    SmbiosNode& node = list->At(3);
    EXPECT_EQ(PutValue(node, Repeat(u'a', 32)), S_OK);
    EXPECT_EQ(ValueOf(node), Repeat(u'a', 32));
    EXPECT_EQ(PutValue(node, Repeat(u'b', 33)), E_SMBIOS_VALUE_CUT);
    EXPECT_EQ(ValueOf(node), Repeat(u'b', 31));

    node.put_Prompt(VARIANT_TRUE);
    EXPECT_EQ(PutValue(node, Repeat(u'c', 70)), S_OK);
    EXPECT_EQ(ValueOf(node), Repeat(u'c', 70));
    EXPECT_EQ(PutValue(node, Repeat(u'd', 71)), E_SMBIOS_PROMPT_CUT);
    EXPECT_EQ(ValueOf(node), Repeat(u'd', 69));
    EXPECT_EQ(node.put_Value(nullptr), E_POINTER);

    // A cut never leaves half of a surrogate pair behind.
    node.put_Prompt(VARIANT_FALSE);
    EXPECT_EQ(PutValue(node, Repeat(u'e', 30) + u"\U0001F600xx"), E_SMBIOS_VALUE_CUT);
    EXPECT_EQ(ValueOf(node), Repeat(u'e', 30));
}

TEST(SmbiosListTest, PromptFlagDoesNotRecheckTheValue) {
    auto list = MakeObject<SmbiosList>();
    SmbiosNode& node = list->At(1);
    node.put_Prompt(1); // any nonzero value is true
    VARIANT_BOOL prompt = 0;
    node.get_Prompt(&prompt);
    EXPECT_EQ(prompt, VARIANT_TRUE);
    ASSERT_EQ(PutValue(node, Repeat(u'p', 60)), S_OK);
    node.put_Prompt(VARIANT_FALSE);
    EXPECT_EQ(ValueOf(node), Repeat(u'p', 60));
}

TEST(SmbiosListTest, ClearAndResetEveryNode) {
    auto list = MakeObject<SmbiosList>();
    for (std::size_t i = 0; i < list->Size(); ++i) {
        PutValue(list->At(i), u"value");
        list->At(i).put_Prompt(VARIANT_TRUE);
    }
    Saved(*list);
    ASSERT_EQ(list->IsDirty(), S_FALSE);
    EXPECT_EQ(list->ClearAllStrings(), S_OK);
    EXPECT_EQ(list->ResetAllPromptFlags(), S_OK);
    for (std::size_t i = 0; i < list->Size(); ++i) {
        EXPECT_EQ(ValueOf(list->At(i)), u"");
        EXPECT_FALSE(list->At(i).Prompt());
    }
    EXPECT_EQ(list->IsDirty(), S_OK);
}

TEST(SmbiosListTest, HelpStringsAndNames) {
    auto list = MakeObject<SmbiosList>();
    Bstr text;
    EXPECT_EQ(list->At(0).put_HelpString(nullptr), E_FAIL);
    Bstr help(u"Who made it");
    EXPECT_EQ(list->At(0).put_HelpString(help.get()), S_OK);
    ASSERT_EQ(list->At(0).get_HelpString(text.put()), S_OK);
    EXPECT_EQ(text.view(), u"Who made it");
    ASSERT_EQ(list->get_Name(text.put()), S_OK);
    EXPECT_EQ(text.view(), u"");
    EXPECT_EQ(list->get_Name(nullptr), E_POINTER);
}

TEST(SmbiosListTest, IniSectionWithPrompts) {
    auto list = MakeObject<SmbiosList>();
    PutValue(list->At(0), u"Contoso");
    list->At(3).put_Prompt(VARIANT_TRUE);
    PutValue(list->At(3), u"Enter the serial number");
    PutValue(list->At(4), u"line\r\nbreak");
    PutValue(list->At(5), std::u16string(u"nul\0tab\t\x7F", 9));
    IniWriter ini;
    ASSERT_EQ(list->WriteIni(ini), S_OK);
    EXPECT_EQ(ini.Text(), "[SMBIOS.Values]\r\n"
                          "SystemManufacturer=Contoso\r\n"
                          "SystemProduct=\r\n"
                          "SystemVersion=\r\n"
                          "SystemSerialNum=$PROMPT$, Enter the serial number\r\n"
                          "ChassisManufacturer=line  break\r\n"
                          "ChassisVersion=nul tab  \r\n"
                          "ChassisSerialNum=\r\n"
                          "ChassisAssetTag=\r\n");
    // The longest prompt gives the longest value the DOS tool keeps.
    PutValue(list->At(3), Repeat(u'q', 69));
    ASSERT_EQ(list->WriteIni(ini), S_OK);
    std::string value;
    ini.GetString("SMBIOS.Values", "SystemSerialNum", value);
    EXPECT_EQ(value.size(), 79u);
}

TEST(SmbiosListTest, RecordRoundTripAndLayout) {
    auto list = MakeObject<SmbiosList>();
    list->At(1).put_Prompt(VARIANT_TRUE);
    PutValue(list->At(1), u"Enter the product");
    PutValue(list->At(7), u"TAG-7");
    const std::string bytes = Saved(*list);
    EXPECT_EQ(list->IsDirty(), S_FALSE);
    // Version, block 0x300, RequiresSave (true when the save began), Valid, two null strings,
    // the node count.
    EXPECT_EQ(bytes.substr(0, 4), FloatBytes(1.0f));
    EXPECT_EQ(bytes.substr(4, 8), std::string("\x00\x03\x00\x00\xFF\xFF\xFF\xFF", 8));
    EXPECT_EQ(bytes.substr(12, 12), std::string("\0\0\0\0\0\0\0\0\x08\0\0\0", 12));

    auto reopened = MakeObject<SmbiosList>();
    ASSERT_EQ(LoadInto(*reopened, bytes), S_OK);
    EXPECT_TRUE(reopened->At(1).Prompt());
    EXPECT_EQ(ValueOf(reopened->At(1)), u"Enter the product");
    EXPECT_FALSE(reopened->At(7).Prompt());
    EXPECT_EQ(ValueOf(reopened->At(7)), u"TAG-7");
    EXPECT_EQ(reopened->IsDirty(), S_FALSE);
    Bstr name;
    reopened->At(7).get_DisplayName(name.put());
    EXPECT_EQ(name.view(), u"Chassis Asset Tag");
}

TEST(SmbiosListTest, DamagedRecordsFail) {
    auto list = MakeObject<SmbiosList>();
    const std::string bytes = Saved(*list);
    std::string newer = bytes;
    newer.replace(0, 4, FloatBytes(2.0f));
    EXPECT_EQ(LoadInto(*MakeObject<SmbiosList>(), newer), E_FAIL);
    std::string block = bytes;
    block[5] = 4; // block version 0x400
    EXPECT_EQ(LoadInto(*MakeObject<SmbiosList>(), block), E_FAIL);
    // More node records than the list holds.
    std::string nine = bytes;
    nine[20] = 9;
    nine += bytes.substr(24, 18); // one more (empty) node record
    EXPECT_EQ(LoadInto(*MakeObject<SmbiosList>(), nine), E_FAIL);
    for (std::size_t size = 0; size < bytes.size(); size += 5)
        EXPECT_TRUE(FAILED(LoadInto(*MakeObject<SmbiosList>(), bytes.substr(0, size)))) << size;
    std::string nodeVersion = bytes;
    nodeVersion.replace(24, 4, FloatBytes(1.5f));
    EXPECT_EQ(LoadInto(*MakeObject<SmbiosList>(), nodeVersion), E_FAIL);
}

} // namespace
} // namespace cvk::testing

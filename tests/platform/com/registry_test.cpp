// The registration store: keys, values, its text file and class registration.
#include "platform/com/guid.h"
#include "platform/com/registry.h"
#include "tests/platform/com/scoped_registry.h"

namespace {

using cvk::registry::Store;

class RegistryStore : public ScopedRegistry {};

TEST_F(RegistryStore, ValuesByCaseInsensitivePath) {
    Store store(StorePath());
    ASSERT_EQ(store.SetValue("CLSID\\{A}\\InprocServer32", "", "/lib/a.so"), S_OK);
    ASSERT_EQ(store.SetValue("clsid\\{a}\\inprocserver32", "ThreadingModel", "Apartment"), S_OK);
    std::string value;
    ASSERT_EQ(store.GetValue("Clsid\\{A}\\InprocServer32", "threadingmodel", &value), S_OK);
    EXPECT_EQ(value, "Apartment");
    ASSERT_EQ(store.GetValue("\\CLSID\\{A}\\InprocServer32\\", "", &value), S_OK);
    EXPECT_EQ(value, "/lib/a.so");
    EXPECT_EQ(store.GetValue("CLSID\\{A}", "", &value), REGDB_E_KEYMISSING);
    EXPECT_TRUE(store.HasKey("CLSID\\{A}")); // exists because a key below it does
    EXPECT_TRUE(store.HasKey("CLSID"));
    EXPECT_FALSE(store.HasKey("CLSID\\{A}\\Inproc"));
    EXPECT_FALSE(store.HasKey("CLS"));
    EXPECT_EQ(store.SetValue("CLSID\\\\{A}", "", "x"), E_INVALIDARG);
    EXPECT_EQ(store.SetValue("", "", "x"), E_INVALIDARG);
    EXPECT_EQ(store.SetValue("Key", "line\nbreak", "x"), E_INVALIDARG);
}

TEST_F(RegistryStore, DeleteTreeRemovesOnlyThatTree) {
    Store store(StorePath());
    store.SetValue("A\\B", "", "1");
    store.SetValue("A\\B\\C", "", "2");
    store.SetValue("A\\BC", "", "3"); // shares a prefix, not a parent
    store.CreateKey("A\\B\\Empty");
    store.SetValue("a\\b0", "", "4");
    EXPECT_EQ(store.SubKeys("A"), (std::vector<std::string>{"B", "b0", "BC"}));
    EXPECT_EQ(store.DeleteTree("a\\b"), S_OK);
    EXPECT_FALSE(store.HasKey("A\\B"));
    EXPECT_FALSE(store.HasKey("A\\B\\Empty"));
    EXPECT_TRUE(store.HasKey("A\\BC"));
    EXPECT_TRUE(store.HasKey("A\\b0"));
    EXPECT_EQ(store.DeleteTree("A\\B"), S_FALSE);
}

TEST_F(RegistryStore, TextFileRoundTripsEveryCharacter) {
    Store store(StorePath());
    std::string awkward = "quote \" backslash \\ tab \t newline \n cr \r ; [x] = @ ü";
    store.SetValue("Odd\\Key [1]", "", awkward);
    store.SetValue("Odd\\Key [1]", "name \"quoted\"", "");
    store.CreateKey("Odd\\Programmable");
    ASSERT_EQ(store.Save(), S_OK);

    Store loaded;
    ASSERT_EQ(Store::Load(StorePath(), &loaded), S_OK);
    std::string value;
    ASSERT_EQ(loaded.GetValue("odd\\key [1]", "", &value), S_OK);
    EXPECT_EQ(value, awkward);
    ASSERT_EQ(loaded.GetValue("Odd\\Key [1]", "name \"quoted\"", &value), S_OK);
    EXPECT_EQ(value, "");
    EXPECT_TRUE(loaded.HasKey("Odd\\Programmable"));
    EXPECT_EQ(loaded.Text(), store.Text());
    EXPECT_FALSE(std::filesystem::exists(StorePath() + ".tmp" + std::to_string(::getpid())));
}

TEST_F(RegistryStore, MissingFileIsEmptyAndMalformedFileIsRefused) {
    Store store;
    ASSERT_EQ(Store::Load(StorePath(), &store), S_OK);
    EXPECT_FALSE(store.HasKey("CLSID"));
    for (std::string bad : {"@=\"value before any key\"\n", "[Key\n", "[Key]\n@=unquoted\n",
                            "[Key]\n\"name\"\n", "[Key]\n@=\"open\n", "[Key]\n@=\"x\" trailing\n",
                            "[Key]\n@=\"bad escape \\q\"\n", "[A\\\\B]\n", "[Key]\n\"\"=\"x\"\n"}) {
        std::ofstream(StorePath(), std::ios::binary | std::ios::trunc) << bad;
        EXPECT_EQ(Store::Load(StorePath(), &store), REGDB_E_READREGDB) << bad;
    }
    std::ofstream(StorePath(), std::ios::binary | std::ios::trunc)
        << "; comment\r\n\r\n[Key]\r\n@=\"crlf\"\r\n";
    ASSERT_EQ(Store::Load(StorePath(), &store), S_OK);
    std::string value;
    ASSERT_EQ(store.GetValue("Key", "", &value), S_OK);
    EXPECT_EQ(value, "crlf");
}

TEST_F(RegistryStore, FailedSaveLeavesTheOldStore) {
    ASSERT_EQ(cvk::registry::SetValue("Key", "", "old"), S_OK);
    std::string before = ReadFile(StorePath());
    // A folder where the temporary file would go makes the write fail.
    Store store(StorePath());
    store.SetValue("Key", "", "new");
    std::filesystem::create_directory(StorePath() + ".tmp" + std::to_string(::getpid()));
    EXPECT_EQ(store.Save(), REGDB_E_WRITEREGDB);
    EXPECT_EQ(ReadFile(StorePath()), before);
    // And a store that cannot be read is not overwritten by an edit.
    std::ofstream(StorePath(), std::ios::binary | std::ios::trunc) << "garbage";
    EXPECT_EQ(cvk::registry::SetValue("Key", "", "x"), REGDB_E_READREGDB);
    EXPECT_EQ(ReadFile(StorePath()), "garbage");
}

TEST_F(RegistryStore, StorePathFollowsTheEnvironment) {
    EXPECT_EQ(cvk::registry::StorePath(), StorePath());
    ::unsetenv("CORVANE_REGISTRY");
    ::setenv("XDG_CONFIG_HOME", folder().c_str(), 1);
    EXPECT_EQ(cvk::registry::StorePath(), (folder() / "corvane" / "registry").string());
    ::unsetenv("XDG_CONFIG_HOME");
    ::setenv("CORVANE_REGISTRY", StorePath().c_str(), 1);
}

TEST_F(RegistryStore, ClassRegistrationWritesAndRemovesItsKeys) {
    constexpr GUID clsid{
        0xBDF56E22, 0x9188, 0x446D, {0x83, 0x4D, 0xCE, 0x97, 0xA5, 0x9D, 0x45, 0xE0}};
    constexpr GUID libid{
        0x43F59FF9, 0x8FAF, 0x4A4F, {0xAE, 0x5B, 0x95, 0xAA, 0xFE, 0x89, 0xED, 0x97}};
    cvk::registry::ClassRegistration reg;
    reg.clsid = clsid;
    reg.description = "Server Class";
    reg.libraryPath = "/opt/corvane/libcvkserver.so";
    reg.threadingModel = "Apartment";
    reg.progId = "cvtool.Server.1";
    reg.versionIndependentProgId = "cvtool.Server";
    reg.programmable = true;
    reg.typeLib = libid;
    cvk::registry::TypeLibRegistration lib;
    lib.libid = libid;
    lib.name = "CvkServer 1.0 Type Library";
    lib.libraryPath = reg.libraryPath;

    Store store(StorePath());
    ASSERT_EQ(cvk::registry::RegisterClass(store, reg), S_OK);
    ASSERT_EQ(cvk::registry::RegisterTypeLib(store, lib), S_OK);
    std::string key = "CLSID\\{BDF56E22-9188-446D-834D-CE97A59D45E0}";
    auto valueOf = [&](const std::string& k, const std::string& name = "") {
        std::string v;
        return SUCCEEDED(store.GetValue(k, name, &v)) ? v : "<missing>";
    };
    EXPECT_EQ(valueOf(key), "Server Class");
    EXPECT_EQ(valueOf(key + "\\InprocServer32"), "/opt/corvane/libcvkserver.so");
    EXPECT_EQ(valueOf(key + "\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_EQ(valueOf(key + "\\ProgID"), "cvtool.Server.1");
    EXPECT_EQ(valueOf(key + "\\VersionIndependentProgID"), "cvtool.Server");
    EXPECT_TRUE(store.HasKey(key + "\\Programmable"));
    EXPECT_EQ(valueOf(key + "\\TypeLib"), "{43F59FF9-8FAF-4A4F-AE5B-95AAFE89ED97}");
    EXPECT_EQ(valueOf("cvtool.Server.1\\CLSID"), cvk::FormatGuid(clsid));
    EXPECT_EQ(valueOf("cvtool.Server\\CLSID"), cvk::FormatGuid(clsid));
    EXPECT_EQ(valueOf("cvtool.Server\\CurVer"), "cvtool.Server.1");
    EXPECT_EQ(valueOf("TypeLib\\{43F59FF9-8FAF-4A4F-AE5B-95AAFE89ED97}\\1.0"),
              "CvkServer 1.0 Type Library");

    // An identifier taken over by another class since stays with that class.
    store.SetValue("cvtool.Server\\CLSID", "", "{00000000-0000-0000-0000-000000000001}");
    ASSERT_EQ(cvk::registry::UnregisterClass(store, reg), S_OK);
    ASSERT_EQ(cvk::registry::UnregisterTypeLib(store, lib), S_OK);
    EXPECT_FALSE(store.HasKey(key));
    EXPECT_FALSE(store.HasKey("cvtool.Server.1"));
    EXPECT_TRUE(store.HasKey("cvtool.Server"));
    EXPECT_FALSE(store.HasKey("TypeLib"));
}

} // namespace

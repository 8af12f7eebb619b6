// Creation by class identifier, end to end: the real cvkreg registers the tests' component
// library, and the runtime loads it by what the store says.
#include "platform/com/com.h"
#include "tests/platform/com/scoped_registry.h"
#include "tests/platform/com/test_component.h"

#include <cstdio>
#include <dlfcn.h>
#include <sys/wait.h>

namespace {

struct ToolResult {
    int exitCode = -1;
    std::string output;
};

ToolResult RunCvkreg(const std::string& arguments) {
    ToolResult result;
    std::string command = std::string("'") + CVKREG_PATH + "' " + arguments + " 2>&1";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return result;
    char buffer[512];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        result.output.append(buffer, n);
    int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string Quoted(const std::string& path) {
    return "'" + path + "'";
}

class Creation : public ScopedRegistry {
protected:
    void SetUp() override {
        ScopedRegistry::SetUp();
        ASSERT_EQ(CoInitialize(nullptr), S_OK);
    }
    void TearDown() override {
        CoUninitialize();
        ScopedRegistry::TearDown();
    }

    void Register(const std::string& library = TEST_COMPONENT_PATH) {
        ToolResult run = RunCvkreg(Quoted(library));
        ASSERT_EQ(run.exitCode, 0) << run.output;
    }
};

TEST_F(Creation, RegisteredClassIsCreatedByIdentifierAndProgId) {
    Register();
    cvk::ComPtr<ITestCounter> counter;
    ASSERT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_INPROC_SERVER, ITestCounter::iid,
                               counter.put_void()),
              S_OK);
    LONG value = 0;
    ASSERT_EQ(counter->Increment(&value), S_OK);
    ASSERT_EQ(counter->Increment(&value), S_OK);
    EXPECT_EQ(value, 2);

    CLSID found{};
    ASSERT_EQ(CLSIDFromProgID(kTestCounterProgId, &found), S_OK);
    EXPECT_EQ(found, CLSID_TestCounter);
    ASSERT_EQ(CLSIDFromProgID(kTestCounterIndependentProgId, &found), S_OK);
    EXPECT_EQ(found, CLSID_TestCounter);
    EXPECT_EQ(CLSIDFromProgID(u"CvkTest.Nothing", &found), CO_E_CLASSSTRING);
    LPOLESTR progId = nullptr;
    ASSERT_EQ(ProgIDFromCLSID(CLSID_TestCounter, &progId), S_OK);
    EXPECT_EQ(std::u16string(progId), kTestCounterProgId);
    CoTaskMemFree(progId);

    // The library wrote its own absolute path.
    std::string path;
    ASSERT_EQ(cvk::registry::GetValue(
                  "CLSID\\" + cvk::FormatGuid(CLSID_TestCounter) + "\\InprocServer32", "", &path),
              S_OK);
    EXPECT_EQ(path, std::filesystem::canonical(TEST_COMPONENT_PATH).string());
}

TEST_F(Creation, UnregisteredClassIsNotFound) {
    cvk::ComPtr<ITestCounter> counter;
    EXPECT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_INPROC_SERVER, ITestCounter::iid,
                               counter.put_void()),
              REGDB_E_CLASSNOTREG);
    Register();
    ToolResult run = RunCvkreg("-u " + Quoted(TEST_COMPONENT_PATH));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_INPROC_SERVER, ITestCounter::iid,
                               counter.put_void()),
              REGDB_E_CLASSNOTREG);
    CLSID found{};
    EXPECT_EQ(CLSIDFromProgID(kTestCounterProgId, &found), CO_E_CLASSSTRING);
    cvk::registry::Store store;
    ASSERT_EQ(cvk::registry::Store::Load(StorePath(), &store), S_OK);
    EXPECT_TRUE(store.SubKeys("CLSID").empty());
}

TEST_F(Creation, MissingOrBrokenLibraryFailsWithoutCrashing) {
    auto copy = folder() / "libcopy.so";
    std::filesystem::copy_file(TEST_COMPONENT_PATH, copy);
    Register(copy.string());
    std::filesystem::remove(copy);
    cvk::ComPtr<ITestCounter> counter;
    EXPECT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_INPROC_SERVER, ITestCounter::iid,
                               counter.put_void()),
              CO_E_DLLNOTFOUND);

    std::ofstream(copy) << "not a library";
    EXPECT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_INPROC_SERVER, ITestCounter::iid,
                               counter.put_void()),
              CO_E_ERRORINDLL);
    EXPECT_FALSE(counter);
}

TEST_F(Creation, ErrorInfoSetInsideTheLibraryReachesTheCaller) {
    Register();
    cvk::ComPtr<ITestCounter> counter;
    ASSERT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_ALL, ITestCounter::iid,
                               counter.put_void()),
              S_OK);
    EXPECT_EQ(counter->Refuse(), E_FAIL);
    cvk::ComPtr<IErrorInfo> info;
    ASSERT_EQ(GetErrorInfo(0, info.put()), S_OK);
    cvk::Bstr source;
    cvk::Bstr description;
    GUID iid{};
    info->GetSource(source.put());
    info->GetDescription(description.put());
    info->GetGUID(&iid);
    EXPECT_EQ(source.view(), u"CvkTest.Counter");
    EXPECT_EQ(description.view(), u"The counter refused.");
    EXPECT_EQ(iid, ITestCounter::iid);

    cvk::ComPtr<ISupportErrorInfo> support;
    ASSERT_EQ(counter.As(&support), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(ITestCounter::iid), S_OK);

    // An exception thrown in the library is caught there and comes back as its status.
    EXPECT_EQ(counter->Throw(E_ACCESSDENIED), E_ACCESSDENIED);
    cvk::ErrorText text;
    ASSERT_TRUE(cvk::TakeErrorText(&text));
    EXPECT_EQ(text.description, u"Thrown inside the library.");
}

TEST_F(Creation, CanUnloadNowFollowsTheLiveObjects) {
    Register();
    cvk::ComPtr<ITestCounter> first;
    ASSERT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_INPROC_SERVER, ITestCounter::iid,
                               first.put_void()),
              S_OK);
    void* handle = ::dlopen(TEST_COMPONENT_PATH, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(handle, nullptr);
    auto canUnload = reinterpret_cast<HRESULT (*)()>(::dlsym(handle, "DllCanUnloadNow"));
    ASSERT_NE(canUnload, nullptr);
    EXPECT_EQ(canUnload(), S_FALSE);
    cvk::ComPtr<ITestCounter> second;
    ASSERT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_INPROC_SERVER, ITestCounter::iid,
                               second.put_void()),
              S_OK);
    first.reset();
    EXPECT_EQ(canUnload(), S_FALSE);
    second.reset();
    EXPECT_EQ(canUnload(), S_OK);

    cvk::ComPtr<IClassFactory> factory;
    ASSERT_EQ(CoGetClassObject(CLSID_TestCounter, CLSCTX_INPROC_SERVER, nullptr, IClassFactory::iid,
                               factory.put_void()),
              S_OK);
    factory->LockServer(TRUE);
    factory.reset();
    EXPECT_EQ(canUnload(), S_FALSE);
    // A lock does not need the factory it was taken through.
    ASSERT_EQ(CoGetClassObject(CLSID_TestCounter, CLSCTX_INPROC_SERVER, nullptr, IClassFactory::iid,
                               factory.put_void()),
              S_OK);
    factory->LockServer(FALSE);
    factory.reset();
    EXPECT_EQ(canUnload(), S_OK);
    ::dlclose(handle);
}

TEST_F(Creation, CallerMistakes) {
    Register();
    cvk::ComPtr<ITestCounter> counter;
    cvk::ComPtr<IUnknown> outer;
    ASSERT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_INPROC_SERVER, IUnknown::iid,
                               outer.put_void()),
              S_OK);
    EXPECT_EQ(CoCreateInstance(CLSID_TestCounter, outer.get(), CLSCTX_INPROC_SERVER,
                               ITestCounter::iid, counter.put_void()),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_LOCAL_SERVER, ITestCounter::iid,
                               counter.put_void()),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_INPROC_SERVER,
                               IPersistStream::iid, counter.put_void()),
              E_NOINTERFACE);
    EXPECT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_INPROC_SERVER, ITestCounter::iid,
                               nullptr),
              E_POINTER);

    // Before CoInitialize (and after the last CoUninitialize) nothing is created.
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    CoUninitialize();
    CoUninitialize();
    EXPECT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_INPROC_SERVER, ITestCounter::iid,
                               counter.put_void()),
              CO_E_NOTINITIALIZED);
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
}

// The machine-wide store serves every user who has not registered the class; the user's own
// registration wins over it, as the user part of the registry does.
TEST_F(Creation, MachineStoreServesUsersWithoutTheirOwnRegistration) {
    ToolResult run = RunCvkreg("--system " + Quoted(TEST_COMPONENT_PATH));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_FALSE(std::filesystem::exists(StorePath()));
    const std::string serverKey =
        "CLSID\\" + cvk::FormatGuid(CLSID_TestCounter) + "\\InprocServer32";
    EXPECT_NE(ReadFile(MachineStorePath()).find(cvk::FormatGuid(CLSID_TestCounter)),
              std::string::npos);
    cvk::ComPtr<ITestCounter> counter;
    EXPECT_EQ(CoCreateInstance(CLSID_TestCounter, nullptr, CLSCTX_INPROC_SERVER, ITestCounter::iid,
                               counter.put_void()),
              S_OK);
    CLSID found{};
    EXPECT_EQ(CLSIDFromProgID(kTestCounterProgId, &found), S_OK);

    // A user's registration naming another library is read first.
    ASSERT_EQ(cvk::registry::SetValue(serverKey, "", "/nonexistent/libother.so"), S_OK);
    std::string path;
    ASSERT_EQ(cvk::registry::GetValue(serverKey, "", &path), S_OK);
    EXPECT_EQ(path, "/nonexistent/libother.so");

    run = RunCvkreg("--system -u " + Quoted(TEST_COMPONENT_PATH));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(ReadFile(MachineStorePath()).find(cvk::FormatGuid(CLSID_TestCounter)),
              std::string::npos);
    EXPECT_EQ(CLSIDFromProgID(kTestCounterProgId, &found), CO_E_CLASSSTRING);
}

TEST(Cvkreg, ReportsFailuresWithTheStatus) {
    ToolResult missing = RunCvkreg("/nonexistent/libnothing.so");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.output.find("0x8004018B"), std::string::npos) << missing.output;

    ToolResult notLibrary = RunCvkreg(Quoted(CVKREG_PATH)); // a program, not a library
    EXPECT_EQ(notLibrary.exitCode, 1);
    EXPECT_NE(notLibrary.output.find("0x800401F9"), std::string::npos) << notLibrary.output;

    EXPECT_EQ(RunCvkreg("").exitCode, 2);
    EXPECT_EQ(RunCvkreg("--system").exitCode, 2);
    ToolResult version = RunCvkreg("--version");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.output.rfind("cvkreg ", 0), 0u) << version.output;
}

} // namespace

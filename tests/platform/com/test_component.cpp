// A small component library for the tests: one class, its factory and its registration.
#include "tests/platform/com/test_component.h"

#include "platform/com/classfactory.h"
#include "platform/com/errorinfo.h"
#include "platform/com/registry.h"
#include "platform/com/runtime.h"

#define TEST_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct TestModule : cvk::Module<TestModule> {};

class Counter : public cvk::Object<TestModule, ITestCounter, ISupportErrorInfo> {
public:
    static constexpr CLSID clsid = CLSID_TestCounter;

    HRESULT Increment(LONG* value) override {
        if (!value)
            return E_POINTER;
        *value = ++count_;
        return S_OK;
    }
    HRESULT Refuse() override {
        return cvk::ReportError(u"CvkTest.Counter", u"The counter refused.", E_FAIL,
                                ITestCounter::iid);
    }
    HRESULT Throw(HRESULT status) override {
        return cvk::Boundary(u"CvkTest.Counter", [&]() -> HRESULT {
            throw cvk::StatusError(status, u"Thrown inside the library.");
        });
    }

private:
    LONG count_ = 0;
};

cvk::registry::ClassRegistration CounterRegistration() {
    cvk::registry::ClassRegistration reg;
    reg.clsid = CLSID_TestCounter;
    reg.description = "Counter Class";
    reg.libraryPath = cvk::ModulePath(reinterpret_cast<const void*>(&CounterRegistration));
    reg.threadingModel = "Apartment";
    reg.progId = "CvkTest.Counter.1";
    reg.versionIndependentProgId = "CvkTest.Counter";
    reg.programmable = true;
    reg.typeLib = LIBID_TestComponent;
    return reg;
}

} // namespace

TEST_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    return cvk::GetClassObject<TestModule, Counter>(clsid, riid, object);
}

TEST_EXPORT HRESULT DllCanUnloadNow() {
    return TestModule::CanUnloadNow();
}

TEST_EXPORT HRESULT DllRegisterServer() {
    return cvk::Boundary(u"CvkTest", [] {
        return cvk::registry::EditStore([](cvk::registry::Store& store) {
            return cvk::registry::RegisterClass(store, CounterRegistration());
        });
    });
}

TEST_EXPORT HRESULT DllUnregisterServer() {
    return cvk::Boundary(u"CvkTest", [] {
        return cvk::registry::EditStore([](cvk::registry::Store& store) {
            return cvk::registry::UnregisterClass(store, CounterRegistration());
        });
    });
}

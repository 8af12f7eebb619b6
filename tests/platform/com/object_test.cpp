// Reference counting, QueryInterface, ComPtr ownership and the per-library object count.
#include "platform/com/classfactory.h"
#include "platform/com/comptr.h"
#include "platform/com/object.h"
#include "platform/com/persist.h"

#include <gtest/gtest.h>

namespace {

struct IShape : IUnknown {
    static constexpr IID iid{0x11111111, 0x2222, 0x3333, {1, 2, 3, 4, 5, 6, 7, 8}};
    virtual LONG Sides() = 0;

protected:
    ~IShape() = default;
};

struct IColour : IUnknown {
    static constexpr IID iid{0x44444444, 0x5555, 0x6666, {1, 2, 3, 4, 5, 6, 7, 8}};
    virtual LONG Rgb() = 0;

protected:
    ~IColour() = default;
};

struct ObjectTestModule : cvk::Module<ObjectTestModule> {};
struct OtherModule : cvk::Module<OtherModule> {};

class Square
    : public cvk::Object<ObjectTestModule, IShape, IColour, ISupportErrorInfo, IPersistStream> {
public:
    static constexpr CLSID clsid{0x77777777, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
    static inline int destroyed = 0;
    ~Square() override { ++destroyed; }

    LONG Sides() override { return 4; }
    LONG Rgb() override { return 0xFF0000; }
    HRESULT GetClassID(CLSID* id) override {
        *id = clsid;
        return S_OK;
    }
    HRESULT IsDirty() override { return S_FALSE; }
    HRESULT Load(IStream*) override { return S_OK; }
    HRESULT Save(IStream*, BOOL) override { return S_OK; }
    HRESULT GetSizeMax(ULONGLONG*) override { return E_NOTIMPL; }
};

class Other : public cvk::Object<OtherModule, IShape> {
public:
    LONG Sides() override { return 3; }
};

ULONG CountOf(IUnknown* p) {
    p->AddRef();
    return p->Release();
}

TEST(Object, ExactReferenceCounts) {
    Square::destroyed = 0;
    auto square = cvk::MakeObject<Square>();
    EXPECT_EQ(square->ReferenceCount(), 1u);
    {
        cvk::ComPtr<IShape> shape;
        ASSERT_EQ(square.As(&shape), S_OK);
        EXPECT_EQ(square->ReferenceCount(), 2u);
        cvk::ComPtr<IShape> copy = shape;
        EXPECT_EQ(square->ReferenceCount(), 3u);
        cvk::ComPtr<IShape> moved = std::move(copy);
        EXPECT_EQ(square->ReferenceCount(), 3u);
        EXPECT_FALSE(copy);
    }
    EXPECT_EQ(square->ReferenceCount(), 1u);
    square.reset();
    EXPECT_EQ(Square::destroyed, 1);
}

TEST(Object, QueryInterfaceAnswersListedAndBaseInterfaces) {
    auto square = cvk::MakeObject<Square>();
    cvk::ComPtr<IUnknown> unknown1;
    cvk::ComPtr<IUnknown> unknown2;
    cvk::ComPtr<IColour> colour;
    ASSERT_EQ(square.As(&unknown1), S_OK);
    ASSERT_EQ(square.As(&colour), S_OK);
    ASSERT_EQ(colour.As(&unknown2), S_OK);
    EXPECT_EQ(unknown1.get(), unknown2.get()); // one identity whichever way it is asked
    EXPECT_EQ(colour->Rgb(), 0xFF0000);

    cvk::ComPtr<IPersist> persist; // only reachable through IPersistStream's base
    ASSERT_EQ(square.As(&persist), S_OK);
    CLSID id{};
    EXPECT_EQ(persist->GetClassID(&id), S_OK);
    EXPECT_EQ(id, Square::clsid);

    cvk::ComPtr<IPersistStreamInit> absent;
    EXPECT_EQ(square.As(&absent), E_NOINTERFACE);
    EXPECT_FALSE(absent);
    EXPECT_EQ(square->QueryInterface(IShape::iid, nullptr), E_POINTER);
    EXPECT_EQ(square->ReferenceCount(), 5u); // square, unknown1, unknown2, colour, persist
}

TEST(Object, SupportErrorInfoCoversTheListedInterfaces) {
    auto square = cvk::MakeObject<Square>();
    cvk::ComPtr<ISupportErrorInfo> support;
    ASSERT_EQ(square.As(&support), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IShape::iid), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IColour::iid), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IPersistStreamInit::iid), S_FALSE);
}

TEST(Object, EachModuleCountsItsOwnObjects) {
    LONG squares = ObjectTestModule::objects;
    LONG others = OtherModule::objects;
    {
        auto square = cvk::MakeObject<Square>();
        auto other = cvk::MakeObject<Other>();
        auto another = cvk::MakeObject<Other>();
        EXPECT_EQ(ObjectTestModule::objects, squares + 1);
        EXPECT_EQ(OtherModule::objects, others + 2);
        EXPECT_EQ(OtherModule::CanUnloadNow(), S_FALSE);
    }
    EXPECT_EQ(ObjectTestModule::objects, squares);
    EXPECT_EQ(OtherModule::objects, others);
    EXPECT_EQ(OtherModule::CanUnloadNow(), S_OK);
}

TEST(ComPtr, PutReleasesFirstAndAttachAddsNothing) {
    Square::destroyed = 0;
    cvk::ComPtr<IShape> shape;
    ASSERT_EQ(cvk::CreateObject<Square>(shape.put()), S_OK);
    EXPECT_EQ(CountOf(shape.get()), 1u);

    // Reusing the pointer for another out-parameter must release the first object.
    IShape** slot = shape.put();
    EXPECT_EQ(*slot, nullptr);
    EXPECT_EQ(Square::destroyed, 1);
    ASSERT_EQ(cvk::CreateObject<Square>(slot), S_OK);

    IShape* raw = shape.detach();
    EXPECT_FALSE(shape);
    EXPECT_EQ(CountOf(raw), 1u); // detach kept the reference for the caller
    cvk::ComPtr<IShape> adopted;
    adopted.attach(raw);
    EXPECT_EQ(CountOf(adopted.get()), 1u); // attach took it over without adding one
    cvk::ComPtr<IShape> shared(raw);
    EXPECT_EQ(CountOf(raw), 2u); // the constructor from a raw pointer shares it

    IShape* given = nullptr;
    ASSERT_EQ(shared.CopyTo(&given), S_OK);
    EXPECT_EQ(CountOf(raw), 3u);
    given->Release();
    shared = nullptr;
    adopted.reset();
    EXPECT_EQ(Square::destroyed, 2);
}

TEST(ComPtr, SelfAssignmentAndConversion) {
    auto square = cvk::MakeObject<Square>();
    cvk::ComPtr<Square> same = square;
    cvk::ComPtr<Square>& alias = same; // through a reference, as self-assignment happens
    same = alias;
    same = std::move(alias);
    EXPECT_EQ(square->ReferenceCount(), 2u);
    cvk::ComPtr<IShape> base = square; // derived to interface without QueryInterface
    EXPECT_EQ(base->Sides(), 4);
    EXPECT_EQ(square->ReferenceCount(), 3u);
    cvk::ComPtr<IShape> none;
    cvk::ComPtr<IColour> out;
    EXPECT_EQ(none.As(&out), E_POINTER);
}

TEST(ClassFactory, CreatesRefusesAggregationAndLocks) {
    cvk::ComPtr<IClassFactory> factory;
    ASSERT_EQ((cvk::GetClassObject<ObjectTestModule, Square>(Square::clsid, IClassFactory::iid,
                                                             factory.put_void())),
              S_OK);
    cvk::ComPtr<IShape> shape;
    ASSERT_EQ(factory->CreateInstance(nullptr, IShape::iid, shape.put_void()), S_OK);
    EXPECT_EQ(shape->Sides(), 4);
    EXPECT_EQ(CountOf(shape.get()), 1u);
    cvk::ComPtr<IShape> aggregated;
    EXPECT_EQ(factory->CreateInstance(shape.get(), IShape::iid, aggregated.put_void()),
              CLASS_E_NOAGGREGATION);
    cvk::ComPtr<IColour> wrong;
    EXPECT_EQ(factory->CreateInstance(nullptr, IPersistStreamInit::iid, wrong.put_void()),
              E_NOINTERFACE);

    shape.reset();
    factory->LockServer(TRUE);
    factory.reset();
    EXPECT_EQ(ObjectTestModule::CanUnloadNow(), S_FALSE); // locked, though no objects remain
    ObjectTestModule::Unlock();
    EXPECT_EQ(ObjectTestModule::CanUnloadNow(), S_OK);

    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ((cvk::GetClassObject<ObjectTestModule, Square>(GUID_NULL, IClassFactory::iid, &none)),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(none, nullptr);
}

} // namespace

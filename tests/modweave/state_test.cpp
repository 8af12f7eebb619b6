// The engine's saved state: a self-contained round trip, and hostile bytes.
#include "tests/modweave/modweave_test_support.h"

#include "modweave/engine_state.h"
#include "platform/storage/memory_stream.h"

namespace modweave::test {
namespace {

using cvk::Bstr;
using cvk::ComPtr;

class StateTest : public EngineTest {
protected:
    // An engine with a non-default selection, a logo and badge settings, saved into a stream
    // followed by a marker that the load must leave unread.
    std::string SavedState() {
        WriteSample("board.bio", 2);
        WriteFile(folder() / "logo.bmp", BmpPicture(800, 600));
        auto engine = NewEngine();
        EXPECT_EQ(Open(engine.get(), "board.bio"), VARIANT_TRUE);
        EXPECT_EQ(engine->SelectDefaults(), S_OK);
        Select(engine.get(), 4, true);
        Select(engine.get(), 5, true);
        EXPECT_EQ(engine->put_FlashPartSize(262144), S_OK);
        auto logo = LogoOf(engine.get());
        EXPECT_EQ(logo->SetImageFromFile(Bstr::FromUtf8(PathOf("logo.bmp")).get()), S_OK);
        EXPECT_EQ(logo->put_BadgeX(321), S_OK);
        EXPECT_EQ(logo->put_Resolution(2), S_OK);
        ComPtr<IStream> stream;
        EXPECT_EQ(CreateMemoryStream(stream.put()), S_OK);
        EXPECT_EQ(engine->SaveState(stream.get(), VARIANT_TRUE), S_OK);
        std::string bytes;
        EXPECT_EQ(GetMemoryStreamBytes(stream.get(), &bytes), S_OK);
        return bytes;
    }
    HRESULT Load(IModweaveEngine* engine, std::string_view bytes, IStream** kept = nullptr) {
        ComPtr<IStream> stream;
        EXPECT_EQ(CreateMemoryStreamOn(bytes, stream.put()), S_OK);
        HRESULT hr = engine->LoadState(stream.get());
        if (kept)
            stream.CopyTo(kept);
        return hr;
    }
};

TEST_F(StateTest, ReopensWithoutTheImageFiles) {
    std::string saved = SavedState();
    std::filesystem::remove(folder() / "board.bio");
    std::filesystem::remove(folder() / "board_2.bio");
    std::filesystem::remove(folder() / "logo.bmp");

    auto engine = NewEngine();
    ComPtr<IStream> stream;
    ASSERT_EQ(Load(engine.get(), saved + "TAIL", stream.put()), S_OK);
    char tail[4] = {};
    ULONG read = 0;
    ASSERT_EQ(stream->Read(tail, 4, &read), S_OK);
    EXPECT_EQ(std::string(tail, read), "TAIL") << "the load reads exactly its record";

    VARIANT_BOOL changed = 7;
    EXPECT_EQ(engine->get_Changed(&changed), S_OK);
    EXPECT_EQ(changed, VARIANT_FALSE);
    LONG value = 0;
    EXPECT_EQ(engine->get_FlashPartSize(&value), S_OK);
    EXPECT_EQ(value, 262144);
    for (LONG h : {1, 2, 3, 4, 5, 10})
        EXPECT_TRUE(Selected(engine.get(), h)) << h;
    for (LONG h : {11, 12})
        EXPECT_FALSE(Selected(engine.get(), h)) << h;
    EXPECT_TRUE(Valid(engine.get()));
    auto logo = LogoOf(engine.get());
    Bstr name;
    EXPECT_EQ(logo->get_ImageName(name.put()), S_OK);
    EXPECT_EQ(name.utf8(), PathOf("logo.bmp"));
    EXPECT_EQ(logo->get_BadgeX(&value), S_OK);
    EXPECT_EQ(value, 321);
    EXPECT_EQ(logo->get_Resolution(&value), S_OK);
    EXPECT_EQ(value, 2);

    // The loaded engine writes an update file with the payloads it kept.
    ASSERT_EQ(engine->CreateUpdateFile(Bstr::FromUtf8(PathOf("update.bio")).get()), S_OK);
    Image written;
    ASSERT_TRUE(ReadImageFile(PathOf("update.bio"), &written).ok());
    EXPECT_EQ(written.modules.at(3).payload, SampleImage().modules.at(3).payload);
    EXPECT_EQ(written.logo.imageBytes, BmpPicture(800, 600));
    // Saving again gives the same bytes.
    ComPtr<IStream> again;
    ASSERT_EQ(CreateMemoryStream(again.put()), S_OK);
    ASSERT_EQ(engine->SaveState(again.get(), VARIANT_TRUE), S_OK);
    std::string resaved;
    ASSERT_EQ(GetMemoryStreamBytes(again.get(), &resaved), S_OK);
    EXPECT_EQ(resaved, saved);
}

TEST_F(StateTest, EngineWithoutImageRoundTrips) {
    auto engine = NewEngine();
    ComPtr<IStream> stream;
    ASSERT_EQ(CreateMemoryStream(stream.put()), S_OK);
    ASSERT_EQ(engine->SaveState(stream.get(), VARIANT_TRUE), S_OK);
    ASSERT_EQ(stream->Seek(0, STREAM_SEEK_SET, nullptr), S_OK);
    auto loaded = NewEngine();
    ASSERT_EQ(loaded->LoadState(stream.get()), S_OK);
    LONG value = -1;
    EXPECT_EQ(loaded->get_FlashPartSize(&value), S_OK);
    EXPECT_EQ(value, 0);
    EXPECT_FALSE(Valid(loaded.get()));
    EXPECT_EQ(loaded->SaveState(nullptr, VARIANT_TRUE), E_POINTER);
    EXPECT_EQ(loaded->LoadState(nullptr), E_POINTER);
}

TEST_F(StateTest, HostileBytesFailAndLeaveTheEngineAsItWas) {
    std::string saved = SavedState();
    WriteSample("other.bio");
    auto engine = NewEngine();
    ASSERT_EQ(Open(engine.get(), "other.bio"), VARIANT_TRUE);
    Select(engine.get(), 4, true);

    auto expectUnchanged = [&](const std::string& what) {
        EXPECT_TRUE(Selected(engine.get(), 4)) << what;
        LONG size = 0;
        EXPECT_EQ(engine->get_FlashPartSize(&size), S_OK);
        EXPECT_EQ(size, 65536) << what;
    };
    for (std::size_t cut = 0; cut < saved.size(); cut += cut < 64 ? 1 : 97) {
        EXPECT_EQ(Load(engine.get(), saved.substr(0, cut)), MODWEAVE_E_STATEFORMAT) << cut;
        EXPECT_FALSE(TakeErrorDescription().empty()) << cut;
    }
    expectUnchanged("after cuts");
    for (std::size_t at = 0; at < saved.size(); at += at < 64 ? 1 : 61) {
        std::string flipped = saved;
        flipped[at] = static_cast<char>(flipped[at] ^ 0x24);
        EXPECT_EQ(Load(engine.get(), flipped), MODWEAVE_E_STATEFORMAT) << at;
    }
    expectUnchanged("after flips");
    // A record that claims four gigabytes in a short stream is refused before any allocation.
    std::string claims = saved.substr(0, kStateHeaderSize);
    std::fill_n(claims.begin() + 20, 4, '\xFF');
    EXPECT_EQ(Load(engine.get(), claims + "short"), MODWEAVE_E_STATEFORMAT);
    EXPECT_NE(TakeErrorDescription().find(u"longer than the stream"), std::u16string::npos);
    expectUnchanged("after a long claim");
}

} // namespace
} // namespace modweave::test

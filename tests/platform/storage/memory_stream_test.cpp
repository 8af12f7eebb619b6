// The memory stream: growth, seeking, gaps, and access to its bytes.
#include "platform/storage/compound_file.h"
#include "platform/storage/memory_stream.h"

#include <gtest/gtest.h>

namespace {

TEST(MemoryStream, BehavesLikeAFileInMemory) {
    IStream* stream = nullptr;
    ASSERT_EQ(CreateMemoryStream(&stream), S_OK);
    ULONG done = 0;
    ASSERT_EQ(stream->Write("hello", 5, &done), S_OK);
    EXPECT_EQ(done, 5u);
    ULONGLONG position = 0;
    ASSERT_EQ(stream->Seek(3, STREAM_SEEK_END, &position), S_OK);
    EXPECT_EQ(position, 8u);
    ASSERT_EQ(stream->Write("!", 1, nullptr), S_OK);
    std::string bytes;
    ASSERT_EQ(GetMemoryStreamBytes(stream, &bytes), S_OK);
    EXPECT_EQ(bytes, std::string("hello\0\0\0!", 9));

    char buffer[16] = {};
    ASSERT_EQ(stream->Seek(-8, STREAM_SEEK_CUR, &position), S_OK);
    EXPECT_EQ(position, 1u);
    ASSERT_EQ(stream->Read(buffer, sizeof buffer, &done), S_OK);
    EXPECT_EQ(done, 8u);
    EXPECT_EQ(std::string(buffer, 4), "ello");
    ASSERT_EQ(stream->Read(buffer, sizeof buffer, &done), S_OK); // at the end: success, 0
    EXPECT_EQ(done, 0u);
    EXPECT_EQ(stream->Seek(-1, STREAM_SEEK_SET, nullptr), STG_E_INVALIDFUNCTION);
    EXPECT_EQ(stream->Seek(0, 7, nullptr), STG_E_INVALIDFUNCTION);

    ASSERT_EQ(stream->SetSize(2), S_OK);
    ULONGLONG size = 0;
    ASSERT_EQ(stream->GetSize(&size), S_OK);
    EXPECT_EQ(size, 2u);
    ASSERT_EQ(stream->Seek(0, STREAM_SEEK_CUR, &position), S_OK);
    EXPECT_EQ(position, 9u); // the position stays where it was, past the new end
    EXPECT_EQ(stream->Release(), 0u);
}

TEST(MemoryStream, WrapsGivenBytesAndAnswersOnlyForItsOwnStreams) {
    IStream* stream = nullptr;
    ASSERT_EQ(CreateMemoryStreamOn(std::string_view("\0abc", 4), &stream), S_OK);
    char buffer[4] = {};
    ULONG done = 0;
    ASSERT_EQ(stream->Read(buffer, 4, &done), S_OK);
    EXPECT_EQ(std::string(buffer, done), std::string("\0abc", 4));

    IUnknown* unknown = nullptr;
    ASSERT_EQ(stream->QueryInterface(IUnknown::iid, reinterpret_cast<void**>(&unknown)), S_OK);
    IStorage* storage = nullptr;
    EXPECT_EQ(stream->QueryInterface(IStorage::iid, reinterpret_cast<void**>(&storage)),
              E_NOINTERFACE);
    EXPECT_EQ(storage, nullptr);
    EXPECT_EQ(unknown->Release(), 1u);

    std::string bytes;
    EXPECT_EQ(GetMemoryStreamBytes(nullptr, &bytes), E_POINTER);
    EXPECT_EQ(stream->Release(), 0u);
}

} // namespace

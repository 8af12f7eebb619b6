// The flash image format through its own reader and writer: round trips, the continuation chain,
// and damaged or foreign files.
#include "tests/modweave/modweave_test_support.h"

#include <map>
#include <unistd.h>

namespace modweave::test {
namespace {

void ExpectSameImage(const Image& a, const Image& b) {
    EXPECT_EQ(a.version, b.version);
    EXPECT_EQ(a.flashPartSize, b.flashPartSize);
    EXPECT_EQ(a.requiredContent, b.requiredContent);
    ASSERT_EQ(a.modules.size(), b.modules.size());
    for (std::size_t i = 0; i < a.modules.size(); ++i) {
        const Module& x = a.modules[i];
        const Module& y = b.modules[i];
        EXPECT_EQ(x.handle, y.handle);
        EXPECT_EQ(x.type, y.type);
        EXPECT_EQ(x.required, y.required);
        EXPECT_EQ(x.isDefault, y.isDefault);
        EXPECT_EQ(x.userUpdateable, y.userUpdateable);
        EXPECT_EQ(x.selected, y.selected);
        EXPECT_EQ(x.shortDesc, y.shortDesc);
        EXPECT_EQ(x.longDesc, y.longDesc);
        EXPECT_EQ(x.size, y.size);
        EXPECT_EQ(x.deps, y.deps);
        EXPECT_EQ(x.payload, y.payload);
    }
    EXPECT_EQ(a.logo.imageName, b.logo.imageName);
    EXPECT_EQ(a.logo.imageBytes, b.logo.imageBytes);
    EXPECT_EQ(a.logo.badgeX, b.logo.badgeX);
    EXPECT_EQ(a.logo.badgeY, b.logo.badgeY);
    EXPECT_EQ(a.logo.displayBadge, b.logo.displayBadge);
    EXPECT_EQ(a.logo.resolution, b.logo.resolution);
}

// In-memory files for ReadImageChain, counting what the reader asks for.
struct MemoryFolder {
    std::map<std::string, std::string> files;
    int loads = 0;
    FileLoader Loader() {
        return [this](const std::string& name, std::string* bytes) {
            ++loads;
            auto found = files.find(name);
            if (found == files.end())
                return false;
            *bytes = found->second;
            return true;
        };
    }
    ReadResult Read(const std::string& first, Image* image) {
        return ReadImageChain(files.at(first), first, Loader(), image);
    }
};

void SetNext(std::string& file, const std::string& next) {
    file[kLastFileFlagOffset] = static_cast<char>(kMoreFiles);
    std::fill_n(file.begin() + kNextNameOffset, kNextNameSize, '\0');
    std::copy(next.begin(), next.end(), file.begin() + kNextNameOffset);
}

MemoryFolder SplitSample(std::size_t parts) {
    MemoryFolder folder;
    Image image = SampleImage();
    image.logo.imageBytes = JpegPicture(640, 480);
    image.logo.imageName = "logo.jpg";
    image.logo.badgeX = 12;
    image.logo.badgeY = 34;
    image.logo.displayBadge = true;
    image.logo.resolution = 2;
    std::vector<std::string> names = ContinuationNames("BOARD.BIO", parts);
    std::vector<std::string> files;
    std::string why;
    EXPECT_TRUE(EncodeImageFiles(image, names, &files, &why)) << why;
    for (std::size_t i = 0; i < files.size(); ++i)
        folder.files[names[i]] = files[i];
    return folder;
}

TEST(ImageFormat, SingleFileAndChainReadBackEveryField) {
    for (std::size_t parts : {1u, 3u}) {
        MemoryFolder folder = SplitSample(parts);
        Image read;
        ReadResult result = folder.Read("BOARD.BIO", &read);
        ASSERT_TRUE(result.ok()) << result.message;
        EXPECT_EQ(result.files, ContinuationNames("BOARD.BIO", parts));
        Image sample = SampleImage();
        sample.logo = read.logo;
        ExpectSameImage(sample, read);
        EXPECT_EQ(read.logo.imageBytes, JpegPicture(640, 480));
        EXPECT_TRUE(read.logo.displayBadge);
        EXPECT_EQ(read.logo.resolution, 2);
    }
}

TEST(ImageFormat, ContinuationFieldsSitAtTheirFixedOffsets) {
    MemoryFolder folder = SplitSample(3);
    const std::string& first = folder.files.at("BOARD.BIO");
    EXPECT_EQ(static_cast<std::uint8_t>(first[89]), 0x00);
    EXPECT_EQ(std::string(first.c_str() + 96), "BOARD_2.BIO");
    EXPECT_EQ(std::string(folder.files.at("BOARD_2.BIO").c_str() + 96), "BOARD_3.BIO");
    EXPECT_EQ(static_cast<std::uint8_t>(folder.files.at("BOARD_3.BIO")[89]), 0xFF);
}

TEST(ImageFormat, FilesOnDiskAreFoundInTheFirstFilesFolder) {
    std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("modweave_fmt_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::string why;
    ASSERT_EQ(WriteImageFiles(SampleImage(), dir.string(), ContinuationNames("demo.bio", 4), &why),
              S_OK)
        << why;
    Image read;
    ReadResult result = ReadImageFile((dir / "demo.bio").string(), &read);
    EXPECT_TRUE(result.ok()) << result.message;
    EXPECT_EQ(result.files.size(), 4u);
    ExpectSameImage(SampleImage(), read);
    std::filesystem::remove(dir / "demo_3.bio");
    result = ReadImageFile((dir / "demo.bio").string(), &read);
    EXPECT_EQ(result.status, ReadStatus::Damaged);
    EXPECT_NE(result.message.find("demo_3.bio"), std::string::npos) << result.message;
    std::filesystem::remove_all(dir);
}

TEST(ImageFormat, ChainThatReturnsToAListedFileIsDamaged) {
    MemoryFolder folder = SplitSample(2);
    SetNext(folder.files.at("BOARD_2.BIO"), "BOARD.BIO");
    Image read;
    ReadResult result = folder.Read("BOARD.BIO", &read);
    EXPECT_EQ(result.status, ReadStatus::Damaged);
    EXPECT_NE(result.message.find("returns to BOARD.BIO"), std::string::npos) << result.message;
    EXPECT_EQ(folder.loads, 1);
}

TEST(ImageFormat, EndlessChainStopsAtTheLimit) {
    // Header-only files that always name one more file: only the chain limit ends the walk.
    MemoryFolder source = SplitSample(2);
    std::string empty = source.files.at("BOARD.BIO").substr(0, kHeaderSize);
    auto headerOnly = [&](std::uint16_t index, const std::string& next) {
        std::string file = empty;
        file[12] = static_cast<char>(index & 0xFF);
        file[13] = static_cast<char>(index >> 8);
        std::fill_n(file.begin() + 16, 8, '\0'); // part length 0, checksum of nothing 0
        SetNext(file, next);
        return file;
    };
    int loads = 0;
    FileLoader endless = [&](const std::string& name, std::string* bytes) {
        ++loads;
        *bytes = headerOnly(static_cast<std::uint16_t>(loads), name + "X");
        return true;
    };
    Image read;
    ReadResult result = ReadImageChain(headerOnly(0, "BOARDX"), "BOARD", endless, &read);
    EXPECT_EQ(result.status, ReadStatus::Damaged);
    EXPECT_NE(result.message.find("longer than"), std::string::npos) << result.message;
    EXPECT_LT(loads, static_cast<int>(kMaxChainFiles));
}

TEST(ImageFormat, BrokenContinuationNamesAreDamaged) {
    const std::string unterminated(kNextNameSize, 'B');
    for (std::string bad : {std::string("OTHER.BIO"), std::string("sub/BOARD_2.BIO"),
                            std::string(""), std::string("..")}) {
        MemoryFolder folder = SplitSample(2);
        SetNext(folder.files.at("BOARD.BIO"), bad);
        Image read;
        EXPECT_EQ(folder.Read("BOARD.BIO", &read).status, ReadStatus::Damaged) << bad;
        EXPECT_EQ(folder.loads, 0) << bad;
    }
    MemoryFolder folder = SplitSample(2);
    std::copy(unterminated.begin(), unterminated.end(),
              folder.files.at("BOARD.BIO").begin() + kNextNameOffset);
    Image read;
    EXPECT_EQ(folder.Read("BOARD.BIO", &read).status, ReadStatus::Damaged);
}

TEST(ImageFormat, BaseNameIsComparedUpperCase) {
    MemoryFolder folder = SplitSample(2);
    folder.files["board_2.bio"] = folder.files.at("BOARD_2.BIO");
    SetNext(folder.files.at("BOARD.BIO"), "board_2.bio");
    Image read;
    EXPECT_TRUE(folder.Read("BOARD.BIO", &read).ok());
}

TEST(ImageFormat, ForeignFilesAreNotModular) {
    Image read;
    MemoryFolder folder = SplitSample(1);
    std::string valid = folder.files.at("BOARD.BIO");
    EXPECT_EQ(ReadImageChain("", "a.bio", folder.Loader(), &read).status, ReadStatus::NotModular);
    EXPECT_EQ(
        ReadImageChain(valid.substr(0, kHeaderSize - 1), "a.bio", folder.Loader(), &read).status,
        ReadStatus::NotModular);
    std::string wrong = valid;
    wrong[0] = 'X';
    EXPECT_EQ(ReadImageChain(wrong, "a.bio", folder.Loader(), &read).status,
              ReadStatus::NotModular);
    EXPECT_EQ(ReadImageFile("/nonexistent-folder/none.bio", &read).status, ReadStatus::NotModular);
}

TEST(ImageFormat, EveryCutAndFlippedByteIsRefusedOrReadSafely) {
    MemoryFolder folder = SplitSample(1);
    const std::string valid = folder.files.at("BOARD.BIO");
    Image read;
    for (std::size_t cut = kHeaderSize; cut < valid.size(); cut += 7)
        EXPECT_EQ(ReadImageChain(valid.substr(0, cut), "B.BIO", folder.Loader(), &read).status,
                  ReadStatus::Damaged)
            << "cut at " << cut;
    for (std::size_t at = kHeaderSize; at < valid.size(); at += 13) {
        std::string flipped = valid;
        flipped[at] = static_cast<char>(flipped[at] ^ 0x40);
        EXPECT_EQ(ReadImageChain(flipped, "B.BIO", folder.Loader(), &read).status,
                  ReadStatus::Damaged)
            << "flipped at " << at;
    }
}

TEST(ImageFormat, BodyDecoderChecksCountsAgainstTheData) {
    std::string body = EncodeBody(SampleImage());
    Image read;
    std::string why;
    ASSERT_TRUE(DecodeBody(body, &read, &why)) << why;
    // Every prefix is refused; a flipped byte is refused or decoded, never read past the end.
    for (std::size_t cut = 0; cut < body.size(); ++cut)
        ASSERT_FALSE(DecodeBody(std::string_view(body).substr(0, cut), &read, &why)) << cut;
    for (std::size_t at = 0; at < body.size(); ++at) {
        std::string flipped = body;
        flipped[at] = static_cast<char>(~flipped[at]);
        DecodeBody(flipped, &read, &why);
    }
    // A module count of four billion in a short body.
    std::string huge = body.substr(0, 4) + std::string(4, '\0') + std::string(4, '\0');
    huge += std::string("\xFF\xFF\xFF\xFF", 4);
    EXPECT_FALSE(DecodeBody(huge, &read, &why));
    EXPECT_NE(why.find("module count"), std::string::npos) << why;
    // The same handle twice.
    Image twice = SampleImage();
    twice.modules[1].handle = twice.modules[0].handle;
    EXPECT_FALSE(DecodeBody(EncodeBody(twice), &read, &why));
    EXPECT_NE(why.find("twice"), std::string::npos) << why;
}

TEST(ImageFormat, ChecksumIsTheCommonCrc32) {
    EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
    EXPECT_EQ(Crc32(""), 0u);
}

TEST(ImageFormat, WriterRefusesNamesTheReaderWouldRefuse) {
    std::vector<std::string> files;
    std::string why;
    EXPECT_FALSE(EncodeImageFiles(SampleImage(), {}, &files, &why));
    EXPECT_FALSE(EncodeImageFiles(SampleImage(), {"BOARD.BIO", "OTHER.BIO"}, &files, &why));
    EXPECT_FALSE(EncodeImageFiles(SampleImage(), {"BOARD.BIO", "BOARD.BIO"}, &files, &why));
    EXPECT_FALSE(EncodeImageFiles(SampleImage(), {"BOARD.BIO", "BOARD" + std::string(300, 'x')},
                                  &files, &why));
    EXPECT_TRUE(EncodeImageFiles(SampleImage(), {"BOARD.BIO", "board.b01"}, &files, &why));
}

} // namespace
} // namespace modweave::test

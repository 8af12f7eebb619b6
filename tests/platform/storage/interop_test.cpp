// Compound files checked against independent implementations: libgsf's gsf, Debian's olefile
// and the npm package cfb, in both directions.
#include "platform/storage/compound_file.h"
#include "platform/storage/storage_internal.h"
#include "storage_test_support.h"

#include <filesystem>
#include <string>
#include <vector>

namespace cvk::storage::test {
namespace {

constexpr std::uint64_t kMiB = 1 << 20;
const std::uint64_t kSizes[] = {0, 1, 4095, 4096, 4097, kMiB, 16 * kMiB, 100 * kMiB};

// Debian's interpreter, which has python3-olefile; the one on PATH may be another build.
const char* const kPython = "/usr/bin/python3";

std::string CfbModule() {
    return CORVANE_CFB_MODULE;
}

bool HaveGsf() {
    return RunCommand("command -v gsf >/dev/null 2>&1") == 0;
}
bool HaveOlefile() {
    return RunCommand(std::string(kPython) + " -c 'import olefile' >/dev/null 2>&1") == 0;
}
bool HaveCfb() {
    return RunCommand("command -v node >/dev/null 2>&1") == 0 &&
           std::filesystem::exists(CfbModule() + "/package.json");
}

enum class Tool { Gsf, Olefile, Cfb };

std::string ToolName(Tool tool) {
    switch (tool) {
    case Tool::Gsf:
        return "gsf (libgsf-bin)";
    case Tool::Olefile:
        return "python3-olefile";
    case Tool::Cfb:
        return "npm package cfb";
    }
    return "?";
}

bool HaveTool(Tool tool) {
    switch (tool) {
    case Tool::Gsf:
        return HaveGsf();
    case Tool::Olefile:
        return HaveOlefile();
    case Tool::Cfb:
        return HaveCfb();
    }
    return false;
}

// The stream names the tool sees in the file, one per line.
std::string ListStreams(Tool tool, const std::string& file) {
    std::string out;
    switch (tool) {
    case Tool::Gsf: {
        // "gsf list" prints a type letter per entry: d for the root, f for streams.
        RunCommand("gsf list " + Quote(file) + " | awk '$1 == \"f\" { print $NF }'", &out);
        break;
    }
    case Tool::Olefile:
        // DEFECT_INCORRECT makes olefile reject what it merely tolerates by default.
        RunCommand(
            std::string(kPython) +
                " -c 'import olefile, sys\n"
                "o = olefile.OleFileIO(sys.argv[1], raise_defects=olefile.DEFECT_INCORRECT)\n"
                "for e in o.listdir(streams=True, storages=False): print(\"/\".join(e))' " +
                Quote(file),
            &out);
        break;
    case Tool::Cfb:
        RunCommand("node -e 'const CFB = require(process.argv[1]);\n"
                   "const c = CFB.read(process.argv[2], {type: \"file\"});\n"
                   "c.FileIndex.forEach(e => { if (e.type === 2) console.log(e.name); });' " +
                       Quote(CfbModule()) + " " + Quote(file),
                   &out);
        break;
    }
    return out;
}

// Copies the stream's bytes to `output`; true when the tool succeeded.
bool CatStream(Tool tool, const std::string& file, const std::string& stream,
               const std::string& output) {
    switch (tool) {
    case Tool::Gsf:
        return RunCommand("gsf cat " + Quote(file) + " " + Quote(stream) + " > " + Quote(output)) ==
               0;
    case Tool::Olefile:
        return RunCommand(
                   std::string(kPython) +
                   " -c 'import olefile, sys\n"
                   "o = olefile.OleFileIO(sys.argv[1], raise_defects=olefile.DEFECT_INCORRECT)\n"
                   "open(sys.argv[3], \"wb\").write(o.openstream(sys.argv[2]).read())' " +
                   Quote(file) + " " + Quote(stream) + " " + Quote(output)) == 0;
    case Tool::Cfb:
        return RunCommand("node -e 'const CFB = require(process.argv[1]);\n"
                          "const c = CFB.read(process.argv[2], {type: \"file\"});\n"
                          "require(\"fs\").writeFileSync(process.argv[4],\n"
                          "    Buffer.from(CFB.find(c, process.argv[3]).content || []));' " +
                          Quote(CfbModule()) + " " + Quote(file) + " " + Quote(stream) + " " +
                          Quote(output)) == 0;
    }
    return false;
}

HRESULT WriteOurs(const std::string& path, std::uint64_t size, unsigned sectorShift = 9) {
    IStorage* storage = nullptr;
    HRESULT hr = detail::CreateCompoundStorage(
        path.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, sectorShift, &storage);
    if (FAILED(hr))
        return hr;
    hr = WritePatternCompound(storage, u"cvkData", size, size);
    if (SUCCEEDED(hr))
        hr = storage->Commit(STGC_DEFAULT);
    storage->Release();
    return hr;
}

// Opens `path` with our reader, checks the list of root streams and compares stream "cvkData"
// with the pattern.
void ExpectOursReads(const std::string& path, std::uint64_t size,
                     const std::vector<std::u16string>& streams = {u"cvkData"}) {
    IStorage* storage = nullptr;
    std::string why;
    ASSERT_EQ(OpenCompoundFile(path.c_str(), &storage, &why), S_OK) << why;
    std::vector<std::u16string> names;
    ASSERT_EQ(ListRootStreams(storage, &names), S_OK);
    EXPECT_EQ(names, streams);
    IStream* stream = nullptr;
    ASSERT_EQ(storage->OpenStream(u"cvkData", STGM_READ | STGM_SHARE_EXCLUSIVE, &stream), S_OK);
    EXPECT_EQ(ComparePatternStream(stream, size, size), "");
    stream->Release();
    storage->Release();
}

struct Case {
    Tool tool;
    std::uint64_t size;
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << ToolName(c.tool) << ", " << c.size << " bytes";
}

std::string CaseName(const testing::TestParamInfo<Case>& info) {
    const char* tool = info.param.tool == Tool::Gsf       ? "Gsf"
                       : info.param.tool == Tool::Olefile ? "Olefile"
                                                          : "Cfb";
    return std::string(tool) + "_" + std::to_string(info.param.size);
}

std::vector<Case> AllCases(std::vector<Tool> tools) {
    std::vector<Case> cases;
    for (Tool tool : tools)
        for (std::uint64_t size : kSizes)
            cases.push_back({tool, size});
    return cases;
}

class WrittenByUs : public testing::TestWithParam<Case> {};

TEST_P(WrittenByUs, IndependentReaderSeesOneStreamWithTheSameBytes) {
    const Case c = GetParam();
    CORVANE_NEED_TOOL(HaveTool(c.tool), ToolName(c.tool));
    ScratchFolder folder;
    const std::string file = folder.File("ours.cvw");
    ASSERT_EQ(WriteOurs(file, c.size), S_OK);
    EXPECT_EQ(ListStreams(c.tool, file), "cvkData\n");
    const std::string output = folder.File("stream.bin");
    ASSERT_TRUE(CatStream(c.tool, file, "cvkData", output));
    EXPECT_EQ(ComparePatternFile(output, c.size, c.size), "");
}

INSTANTIATE_TEST_SUITE_P(Interop, WrittenByUs,
                         testing::ValuesIn(AllCases({Tool::Gsf, Tool::Olefile, Tool::Cfb})),
                         CaseName);

// Version 4 files (4096-byte sectors) are only written for the reader's tests; the
// independent readers confirm that they are sound before ours is checked against them.
class Version4WrittenByUs : public testing::TestWithParam<Case> {};

TEST_P(Version4WrittenByUs, IndependentReaderAndOursAgree) {
    const Case c = GetParam();
    CORVANE_NEED_TOOL(HaveTool(c.tool), ToolName(c.tool));
    ScratchFolder folder;
    const std::string file = folder.File("v4.cvw");
    ASSERT_EQ(WriteOurs(file, c.size, 12), S_OK);
    EXPECT_EQ(ListStreams(c.tool, file), "cvkData\n");
    const std::string output = folder.File("stream.bin");
    ASSERT_TRUE(CatStream(c.tool, file, "cvkData", output));
    EXPECT_EQ(ComparePatternFile(output, c.size, c.size), "");
    ExpectOursReads(file, c.size);
}

std::vector<Case> Version4Cases() {
    std::vector<Case> cases;
    for (Tool tool : {Tool::Gsf, Tool::Olefile})
        for (std::uint64_t size : {std::uint64_t{0}, std::uint64_t{4095}, std::uint64_t{4096},
                                   std::uint64_t{70000}, 9 * kMiB})
            cases.push_back({tool, size});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Interop, Version4WrittenByUs, testing::ValuesIn(Version4Cases()),
                         CaseName);

class WrittenByOthers : public testing::TestWithParam<Case> {};

TEST_P(WrittenByOthers, OursReadsTheSameBytes) {
    const Case c = GetParam();
    CORVANE_NEED_TOOL(HaveTool(c.tool), ToolName(c.tool));
    ScratchFolder folder;
    // gsf names the member after the input file.
    const std::string input = folder.File("cvkData");
    WritePatternFile(input, c.size, c.size);
    const std::string file = folder.File("theirs.cvw");
    if (c.tool == Tool::Gsf) {
        ASSERT_EQ(RunCommand("cd " + Quote(folder.Path().string()) + " && gsf createole " +
                             Quote(file) + " cvkData >/dev/null 2>&1"),
                  0);
    } else {
        ASSERT_EQ(RunCommand(
                      "node -e 'const CFB = require(process.argv[1]); const fs = require(\"fs\");\n"
                      "const c = CFB.utils.cfb_new();\n"
                      "CFB.utils.cfb_add(c, \"/cvkData\", fs.readFileSync(process.argv[2]));\n"
                      "CFB.writeFile(c, process.argv[3]);' " +
                      Quote(CfbModule()) + " " + Quote(input) + " " + Quote(file)),
                  0);
    }
    std::filesystem::remove(input);
    // cfb always adds a placeholder stream of its own beside the ones it is given.
    if (c.tool == Tool::Cfb)
        ExpectOursReads(file, c.size, {u"cvkData", u"\u0001Sh33tJ5"});
    else
        ExpectOursReads(file, c.size);
}

INSTANTIATE_TEST_SUITE_P(Interop, WrittenByOthers,
                         testing::ValuesIn(AllCases({Tool::Gsf, Tool::Cfb})), CaseName);

} // namespace
} // namespace cvk::storage::test

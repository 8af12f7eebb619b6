// IniFile: the line-oriented INI document that the engine's writers fill and save.
#pragma once

#include "platform/com/types.h"
#include "platform/text/text_writer.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cvk {

// The result of each operation: kIniDone when it finished, else why it did not.
// GetPromptString's kIniPromptLike is a success that says the value only looks like a prompt.
enum IniStatus : int {
    kIniDone = 1,
    kIniKeyNotFound = 2,
    kIniSectionNotFound = 3,
    kIniPrompt = 4, // GetPromptString: a prompt; GetInt: not a number
    kIniPromptLike = 5,
    kIniEmpty = 7,
    kIniOutOfMemory = -2,
    kIniListFailed = -3,
    kIniNoFileName = -4,
    kIniNoFolder = -5,
    kIniCannotOpen = -6,
    kIniCannotWrite = -7,
    kIniWriteFailed = -8,
};

inline bool IniSucceeded(IniStatus status) {
    return status == kIniDone || status == kIniPromptLike;
}

// An INI operation's result as the engine's status: S_OK or E_FAIL.
inline HRESULT IniResult(IniStatus status) {
    return IniSucceeded(status) ? S_OK : E_FAIL;
}

// Holds every line of a document in order: section headers, key entries (which also belong to
// their section's key list) and verbatim lines (comments, blanks). Texts are Windows-1252 bytes;
// section and key names compare without regard to letter case.
//
// Each object is a document of its own, and the disk is touched only by Save, which replaces its
// target whole through a temporary file: a writer that fails part-way leaves an earlier file as
// it was. Texts are held at any length, so nothing is cut on reading or writing.
class IniFile {
public:
    IniFile() = default;
    virtual ~IniFile() = default;
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    // The lines a new file begins with.
    virtual bool WriteNewFileHeader(text::TextWriter& out) = 0;
    // Turns a line that is neither comment, key entry, section header nor blank into a comment.
    virtual bool CommentOutLine(std::string& line) = 0;

    // Starts a new document for `path` holding only the header, and makes `path` the default
    // target of Save. -4 when the path has no file name, -5 when neither the file nor its folder
    // exists, -6 when the file could not be replaced (read-only) or the header failed.
    IniStatus Open(const std::string& path);
    // Reads an existing file's lines into the document (the loader), replacing what it held.
    // -6 when the file cannot be read.
    IniStatus Load(const std::string& path);
    // The loader over text already in memory.
    void LoadText(std::string_view text);

    IniStatus SetString(std::string_view section, std::string_view key, std::string_view value);
    // The value in signed decimal.
    IniStatus SetInt(std::string_view section, std::string_view key, std::int32_t value);
    // Writes the document to `path`, or to the document path when `path` is empty. -7 when the
    // target cannot be opened, -8 when writing or committing fails.
    IniStatus Save(const std::string& path);

    // The stored value, blanks at both ends removed and one pair of enclosing quotes taken off.
    // Section or key missing: `fallback`, status 3 or 2; an empty value: status 7.
    IniStatus GetString(std::string_view section, std::string_view key, std::string& value,
                        std::string_view fallback = {});
    // As GetString, then status 4 (and failure) for a prompt ("$PROMPT$,"), status 5 for a value
    // that only looks like one ("$PROMPT" or "PROMPT$").
    IniStatus GetPromptString(std::string_view section, std::string_view key, std::string& value,
                              std::string_view fallback = {});
    // "0" is zero; any other text that does not convert to a nonzero decimal is status 4.
    IniStatus GetInt(std::string_view section, std::string_view key, std::int32_t& value);

    // The bytes Save writes: every line in order, each ended by CR LF.
    std::string Text() const;
    const std::string& Path() const { return path_; }

private:
    enum class LineKind { Section = 1, Key = 2, Verbatim = 3 };
    struct Line {
        LineKind kind;
        std::size_t section = 0; // Section and Key lines
        std::size_t pair = 0;    // Key lines
        std::string text;        // Verbatim lines, without their line end
    };
    struct Pair {
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Pair> pairs;
    };

    void Clear();
    void AddLoadedLine(std::string line);
    const Section* FindSection(std::string_view name, std::size_t* index = nullptr) const;
    // Null with kIniSectionNotFound or kIniKeyNotFound in `status` when missing.
    const Pair* FindPair(std::string_view section, std::string_view key, IniStatus& status) const;

    std::vector<Line> lines_;
    std::vector<Section> sections_;
    std::string path_;
    bool haveSection_ = false; // the loader has seen a section header
};

} // namespace cvk

// The INI document: loading and classifying lines, setting keys, reading values, saving.
#include "engine/output/ini_file.h"

#include "platform/storage/atomic_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>
#include <sstream>

namespace cvk {
namespace {

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return LowerAscii(x) == LowerAscii(y);
           });
}

// Removes the space character (only) at both ends, as the loader and the lookups do.
std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

bool PathExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string UpperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

} // namespace

void IniFile::Clear() {
    lines_.clear();
    sections_.clear();
    haveSection_ = false;
}

IniStatus IniFile::Open(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    if (nameStart >= path.size())
        return kIniNoFileName;
    if (!PathExists(path) && !PathExists(FolderOf(path)))
        return kIniNoFolder;
    // The target is checked now, so that a file that cannot be replaced fails the open as it
    // would if the header were written to it here; it is written only by Save.
    if (FAILED(storage::CheckReplaceable(path)))
        return kIniCannotOpen;
    text::TextWriter header;
    if (!WriteNewFileHeader(header))
        return kIniCannotOpen;
    path_ = path;
    LoadText(header.Bytes());
    return kIniDone;
}

IniStatus IniFile::Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return kIniCannotOpen;
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad())
        return kIniWriteFailed;
    path_ = path;
    LoadText(content.str());
    return kIniDone;
}

void IniFile::LoadText(std::string_view text) {
    Clear();
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        AddLoadedLine(std::string(line));
    }
}

void IniFile::AddLoadedLine(std::string line) {
    const std::string_view trimmed = TrimBlanks(line);
    if (!trimmed.empty() && trimmed.front() == ';') {
        lines_.push_back({LineKind::Verbatim, 0, 0, std::move(line)});
        return;
    }
    const std::size_t equals = trimmed.find('=');
    if (equals != std::string_view::npos) {
        // A key entry needs a section; before the first header, and with an empty key, the
        // line is kept as it stands.
        if (equals == 0 || !haveSection_) {
            lines_.push_back({LineKind::Verbatim, 0, 0, std::move(line)});
            return;
        }
        Section& section = sections_.back();
        section.pairs.push_back(
            {std::string(trimmed.substr(0, equals)), std::string(trimmed.substr(equals + 1))});
        lines_.push_back({LineKind::Key, sections_.size() - 1, section.pairs.size() - 1, {}});
        return;
    }
    const std::size_t open = trimmed.find('[');
    const std::size_t close =
        open == std::string_view::npos ? std::string_view::npos : trimmed.find(']', open);
    if (open != std::string_view::npos && close != std::string_view::npos) {
        sections_.push_back({std::string(trimmed.substr(open + 1, close - open - 1)), {}});
        lines_.push_back({LineKind::Section, sections_.size() - 1, 0, {}});
        haveSection_ = true;
        return;
    }
    if (trimmed.empty()) {
        lines_.push_back({LineKind::Verbatim, 0, 0, {}});
        return;
    }
    std::string text(trimmed);
    CommentOutLine(text);
    lines_.push_back({LineKind::Verbatim, 0, 0, std::move(text)});
}

const IniFile::Section* IniFile::FindSection(std::string_view name, std::size_t* index) const {
    for (std::size_t i = 0; i < sections_.size(); ++i) {
        if (EqualNoCase(TrimBlanks(sections_[i].name), TrimBlanks(name))) {
            if (index)
                *index = i;
            return &sections_[i];
        }
    }
    return nullptr;
}

IniStatus IniFile::SetString(std::string_view sectionName, std::string_view key,
                             std::string_view value) {
    std::size_t index = 0;
    if (!FindSection(sectionName, &index)) {
        sections_.push_back({std::string(sectionName), {{std::string(key), std::string(value)}}});
        lines_.push_back({LineKind::Section, sections_.size() - 1, 0, {}});
        lines_.push_back({LineKind::Key, sections_.size() - 1, 0, {}});
        return kIniDone;
    }
    Section& section = sections_[index];
    for (Pair& pair : section.pairs) {
        if (EqualNoCase(pair.key, key)) {
            pair.value = std::string(value);
            return kIniDone;
        }
    }
    section.pairs.push_back({std::string(key), std::string(value)});
    // After the section's header and every line that follows it, before the next header.
    auto at = std::find_if(lines_.begin(), lines_.end(), [&](const Line& line) {
        return line.kind == LineKind::Section && line.section == index;
    });
    if (at != lines_.end())
        at = std::find_if(std::next(at), lines_.end(),
                          [](const Line& line) { return line.kind == LineKind::Section; });
    lines_.insert(at, {LineKind::Key, index, section.pairs.size() - 1, {}});
    return kIniDone;
}

IniStatus IniFile::SetInt(std::string_view section, std::string_view key, std::int32_t value) {
    return SetString(section, key, std::to_string(value));
}

std::string IniFile::Text() const {
    std::string out;
    for (const Line& line : lines_) {
        switch (line.kind) {
        case LineKind::Section: {
            const std::string& name = sections_[line.section].name;
            if (name.empty() || name.front() != '[')
                out += '[';
            out += name;
            if (name.empty() || name.back() != ']')
                out += ']';
            break;
        }
        case LineKind::Key: {
            const Pair& pair = sections_[line.section].pairs[line.pair];
            out += pair.key;
            out += '=';
            out += pair.value;
            break;
        }
        case LineKind::Verbatim:
            out += line.text;
            break;
        }
        out += "\r\n";
    }
    return out;
}

IniStatus IniFile::Save(const std::string& path) {
    const std::string& target = path.empty() ? path_ : path;
    storage::AtomicFileWriter file;
    if (target.empty() || FAILED(file.Open(target)))
        return kIniCannotWrite;
    const std::string bytes = Text();
    if (FAILED(file.Write(bytes.data(), bytes.size())) || FAILED(file.Commit()))
        return kIniWriteFailed;
    return kIniDone;
}

const IniFile::Pair* IniFile::FindPair(std::string_view sectionName, std::string_view key,
                                       IniStatus& status) const {
    const Section* section = FindSection(sectionName);
    if (!section) {
        status = kIniSectionNotFound;
        return nullptr;
    }
    for (const Pair& pair : section->pairs)
        if (EqualNoCase(pair.key, key))
            return &pair;
    status = kIniKeyNotFound;
    return nullptr;
}

IniStatus IniFile::GetString(std::string_view section, std::string_view key, std::string& value,
                             std::string_view fallback) {
    IniStatus missing = kIniDone;
    const Pair* pair = FindPair(section, key, missing);
    if (!pair) {
        value = std::string(fallback);
        return missing;
    }
    std::string_view text = TrimBlanks(pair->value);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        text = text.substr(1, text.size() - 2);
    value = std::string(text);
    return value.empty() ? kIniEmpty : kIniDone;
}

IniStatus IniFile::GetPromptString(std::string_view section, std::string_view key,
                                   std::string& value, std::string_view fallback) {
    const IniStatus status = GetString(section, key, value, fallback);
    if (status != kIniDone)
        return status;
    const std::string upper = UpperAscii(value);
    if (upper.find("$PROMPT$,") != std::string::npos)
        return kIniPrompt;
    if (upper.find("$PROMPT") != std::string::npos || upper.find("PROMPT$") != std::string::npos)
        return kIniPromptLike;
    return kIniDone;
}

IniStatus IniFile::GetInt(std::string_view section, std::string_view key, std::int32_t& value) {
    value = 0;
    std::string text;
    const IniStatus status = GetString(section, key, text);
    if (status != kIniDone)
        return status;
    if (text == "0")
        return kIniDone;
    std::int32_t parsed = 0;
    const char* first = text.data();
    if (*first == '+')
        ++first;
    std::from_chars(first, text.data() + text.size(), parsed);
    if (parsed == 0)
        return kIniPrompt;
    value = parsed;
    return kIniDone;
}

} // namespace cvk

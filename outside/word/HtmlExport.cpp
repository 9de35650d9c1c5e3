#include "outside/word/HtmlExport.h"

#include <filesystem>
#include <string>
#include <vector>

#include "common/LinkEscape.h"
#include "platform/base/File.h"
#include "platform/base/ScratchFolder.h"

namespace fs = std::filesystem;

namespace wordstub {

namespace {

// Moves a file, copying it where a rename cannot (another file system).
bool MoveFile(const fs::path& from, const fs::path& to) {
    std::error_code error;
    fs::rename(from, to, error);
    if (!error)
        return true;
    if (!leaf::CopyFileBytes(from.string(), to.string(), false))
        return false;
    fs::remove(from, error);
    return true;
}

}  // namespace

void ReplaceQuotedReference(std::string& html, const std::string& name, const std::string& replacement) {
    for (char quote : {'"', '\''}) {
        std::string from = quote + name + quote;
        std::string to = quote + replacement + quote;
        std::size_t position = 0;
        while ((position = html.find(from, position)) != std::string::npos) {
            html.replace(position, from.size(), to);
            position += to.size();
        }
    }
}

void DropOneParentStep(std::string& html) {
    auto lower = [](char ch) { return static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch); };
    auto isSpace = [](char ch) { return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n'; };
    std::string result;
    result.reserve(html.size());
    std::size_t copied = 0;
    for (std::size_t at = 0; at < html.size(); ++at) {
        // An attribute name "src" or "href" that starts a word.
        std::size_t nameLength = 0;
        for (const char* name : {"href", "src"}) {
            std::size_t length = std::char_traits<char>::length(name);
            bool matches = at + length <= html.size() && (at == 0 || isSpace(html[at - 1]));
            for (std::size_t i = 0; matches && i < length; ++i)
                matches = lower(html[at + i]) == name[i];
            if (matches)
                nameLength = length;
        }
        if (nameLength == 0)
            continue;
        std::size_t value = at + nameLength;
        while (value < html.size() && isSpace(html[value]))
            ++value;
        if (value >= html.size() || html[value] != '=')
            continue;
        ++value;
        while (value < html.size() && isSpace(html[value]))
            ++value;
        if (value < html.size() && (html[value] == '"' || html[value] == '\''))
            ++value;
        if (html.compare(value, 3, "../") != 0)
            continue;
        result.append(html, copied, value - copied);
        copied = value + 3;
        // "../" alone named the target's own folder.
        if (copied >= html.size() || html[copied] == '"' || html[copied] == '\'' || html[copied] == '#' ||
            html[copied] == '>' || isSpace(html[copied]))
            result += "./";
        at = copied - 1;
    }
    result.append(html, copied, std::string::npos);
    html = std::move(result);
}

bool PlaceHtmlExport(const std::string& htmlPath, const std::string& scratchFolder, const std::string& target,
                     std::string& error) {
    std::string html;
    if (!leaf::ReadFileBytes(htmlPath, html)) {
        error = "The converted page could not be read.";
        return false;
    }
    std::error_code ignored;
    std::vector<fs::path> companions;
    // Everything the office suite wrote beside the page; the folder's owner mark is not its.
    for (const fs::directory_entry& entry : fs::directory_iterator(scratchFolder, ignored))
        if (entry.is_regular_file(ignored) && !fs::equivalent(entry.path(), htmlPath, ignored) &&
            entry.path().filename() != leaf::kScratchFolderMark)
            companions.push_back(entry.path());

    fs::path targetPath(target);
    if (fs::equivalent(fs::path(scratchFolder).parent_path(), targetPath.parent_path(), ignored))
        DropOneParentStep(html);
    if (!companions.empty()) {
        std::string folderName = targetPath.stem().string() + "_files";
        fs::path folder = targetPath.parent_path() / folderName;
        fs::create_directories(folder, ignored);
        if (!fs::is_directory(folder, ignored)) {
            error = "The folder \"" + folder.string() + "\" could not be created.";
            return false;
        }
        for (const fs::path& companion : companions) {
            std::string name = companion.filename().string();
            if (!MoveFile(companion, folder / name)) {
                error = "The file \"" + (folder / name).string() + "\" could not be written.";
                return false;
            }
            ReplaceQuotedReference(html, name, leaf::EscapeLinkPath(folderName + "/" + name));
            ReplaceQuotedReference(html, leaf::EscapeLinkPath(name), leaf::EscapeLinkPath(folderName + "/" + name));
        }
    }

    if (!leaf::WriteFileAtomically(target, html)) {
        error = "The file \"" + target + "\" could not be written.";
        return false;
    }
    return true;
}

}  // namespace wordstub

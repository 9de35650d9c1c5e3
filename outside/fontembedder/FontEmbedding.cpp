#include "outside/fontembedder/FontEmbedding.h"

#include <filesystem>
#include <map>
#include <set>
#include <system_error>

#include "platform/base/File.h"
#include "platform/base/Path.h"
#include "platform/base/TextEncoding.h"

namespace fontembed {
namespace {

namespace fs = std::filesystem;

void ReportError(IFilterHost* host, const std::string& text) {
    if (host != nullptr)
        host->SetErrorDetails(leaf::Utf8ToUtf16(text).c_str());
}

// A name in `folder` that no file there has and that was not handed out before.
std::string UniqueName(const std::string& folder, const std::string& name, std::set<std::string>& taken) {
    std::string extension = leaf::path::Extension(name);
    std::string stem = name.substr(0, name.size() - extension.size());
    std::string candidate = name;
    for (int number = 2;; ++number) {
        std::error_code error;
        if (!taken.count(candidate) && !fs::exists(leaf::path::Join(folder, candidate), error)) {
            taken.insert(candidate);
            return candidate;
        }
        candidate = stem + "-" + std::to_string(number) + extension;
    }
}

// A CSS string literal holding the text.
std::string CssString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += (c == '\n' || c == '\r' || c == '\f') ? ' ' : c;
    }
    return out + "\"";
}

// Removes the files of a failed run again.
class CCopiedFiles {
public:
    ~CCopiedFiles() {
        if (m_keep)
            return;
        for (const std::string& path : m_paths) {
            std::error_code error;
            fs::remove(path, error);
        }
    }
    void Add(const std::string& path) { m_paths.push_back(path); }
    const std::vector<std::string>& Paths() const { return m_paths; }
    void Keep() { m_keep = true; }

private:
    std::vector<std::string> m_paths;
    bool m_keep = false;
};

}  // namespace

std::string SafeFileName(const std::string& name) {
    std::string out;
    for (char c : name) {
        bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                    c == '-' || c == '_';
        out += safe ? c : '_';
    }
    if (out.empty() || out[0] == '.')
        out.insert(0, "font");
    return out;
}

HRESULT EmbedFonts(const std::vector<EmbedFontData>& fonts, const std::string& workFolder, IFilterHost* host) {
    if (fonts.empty())
        return S_OK;
    std::string folder = leaf::path::Join(workFolder, kFontsFolderName);
    std::error_code error;
    fs::create_directories(folder, error);
    if (error || !fs::is_directory(folder, error)) {
        ReportError(host, "Unable to create the folder \"" + folder + "\" for the embedded fonts.");
        return E_FAIL;
    }

    CCopiedFiles copied;
    std::set<std::string> taken;
    std::map<std::string, std::string> copyOf;  // installed file -> name in the folder
    std::string styleSheet = "/* Fonts embedded into this book. */\n";
    for (const EmbedFontData& font : fonts) {
        if (host != nullptr && FAILED(host->StepProgress(0)))
            return E_ABORT;
        auto found = copyOf.find(font.file);
        if (found == copyOf.end()) {
            std::string name = UniqueName(folder, SafeFileName(leaf::path::FilePart(font.file)), taken);
            std::string target = leaf::path::Join(folder, name);
            if (!leaf::CopyFileBytes(font.file, target, true)) {
                ReportError(host, "Unable to copy the font file \"" + font.file + "\" to \"" + target + "\".");
                return E_FAIL;
            }
            copied.Add(target);
            found = copyOf.emplace(font.file, name).first;
        }
        styleSheet += "@font-face {\n  font-family: " + CssString(font.name) +
                      ";\n  font-weight: " + std::to_string(font.weight) +
                      ";\n  font-style: " + (font.italic ? "italic" : "normal") +
                      ";\n  src: url(" + CssString(found->second) + ");\n}\n";
    }

    std::string sheetPath = leaf::path::Join(folder, UniqueName(folder, kFontStyleSheetName, taken));
    if (!leaf::WriteFileAtomically(sheetPath, styleSheet)) {
        ReportError(host, "Unable to write the style sheet \"" + sheetPath + "\" of the embedded fonts.");
        return E_FAIL;
    }
    copied.Add(sheetPath);
    if (host != nullptr) {
        // The sheet comes last: the control links the last style sheet it is given.
        for (const std::string& path : copied.Paths())
            host->AddOutputFile(leaf::Utf8ToUtf16(path).c_str());
    }
    copied.Keep();
    return S_OK;
}

}  // namespace fontembed

#include "outside/fontembedder/FontEmbedderComponent.h"

#include "outside/fontembedder/FontEmbedding.h"
#include "platform/base/File.h"
#include "platform/base/Path.h"
#include "platform/base/TextEncoding.h"

namespace fontembed {
namespace {

// Analyse's answer when no font of the book can be embedded.
constexpr HRESULT kNothingToEmbed = E_FAIL;

bool CanBeEmbedded(const EmbedFontData& font) {
    return (font.kind == FontKind::Embeddable || font.kind == FontKind::Native) && !font.file.empty();
}

std::u16string ToUtf16(const std::set<char32_t>& characters) {
    std::u16string text;
    for (char32_t c : characters)
        leaf::AppendUtf16(text, c);
    return text;
}

// Tests for an abort between files (no units: the control counted none for this step).
bool Aborted(IFilterHost* host) { return host != nullptr && FAILED(host->StepProgress(0)); }

// Reads a page or style sheet of the book; when it cannot be read the host is told, since
// the fonts the file names then go unlisted and unembedded.
bool ReadWorkFile(const std::string& path, std::string& bytes, IFilterHost* host) {
    if (leaf::ReadFileBytes(path, bytes))
        return true;
    if (host != nullptr) {
        const std::string text = "The file \"" + path + "\" cannot be read: the fonts it uses are not embedded.";
        host->Message(0, kMessageWarning, kMsgUnreadableFile, leaf::Utf8ToUtf16(text).c_str(),
                      leaf::Utf8ToUtf16(path).c_str(), 0);
    }
    return false;
}

}  // namespace

bool IsReaderFace(const std::string& family) {
    static constexpr std::string_view kReaderFaces[] = {"Georgia", "Verdana", "Tahoma"};
    for (std::string_view face : kReaderFaces)
        if (SameFamilyName(family, std::string(face)))
            return true;
    return false;
}

bool IsGenericFamily(const std::string& family) {
    std::string name = ToLowerAscii(family);
    return name == "serif" || name == "sans-serif" || name == "monospace" || name == "cursive" || name == "fantasy";
}

LONG CFontEmbedderComponent::CheckAvailable() { return m_catalog.Open() ? 0 : 1; }

HRESULT CFontEmbedderComponent::Begin(IFilterHost*) {
    m_pages.clear();
    m_styleSheets.clear();
    m_fontList = nullptr;
    return m_catalog.Open() ? S_OK : E_FAIL;
}

HRESULT CFontEmbedderComponent::AddFile(LPCOLESTR workFilePath, IFilterHost*) {
    if (workFilePath == nullptr)
        return E_POINTER;
    std::string path = leaf::Utf16ToUtf8(workFilePath);
    std::string extension = ToLowerAscii(leaf::path::Extension(path));
    if (extension == ".css") {
        m_styleSheets.push_back(std::move(path));
    } else if (extension == ".htm" || extension == ".html" || extension == ".xhtml") {
        m_pages.push_back(std::move(path));
    } else {
        return S_FALSE;  // no fonts are named in other files
    }
    return S_OK;
}

HRESULT CFontEmbedderComponent::Analyse(IFilterHost* host) {
    m_fontList = nullptr;
    CFontUsageScanner scanner;
    std::string text;
    // Sheets first, so that the pages find the sheets they link.
    for (const std::string& sheet : m_styleSheets) {
        if (Aborted(host))
            return E_ABORT;
        if (ReadWorkFile(sheet, text, host))
            scanner.AddStyleSheet(sheet, text);
    }
    for (const std::string& page : m_pages) {
        if (Aborted(host))
            return E_ABORT;
        if (ReadWorkFile(page, text, host))
            scanner.ScanPage(page, text);
    }

    std::vector<leaf::ComPtr<CEmbedFont>> fonts;
    bool anyEmbeddable = false;
    for (const FontUsage& usage : scanner.Usages()) {
        EmbedFontData data = Classify(usage);
        anyEmbeddable = anyEmbeddable || CanBeEmbedded(data);
        fonts.emplace_back(new CEmbedFont(std::move(data)));
    }
    m_fontList = new CEmbedFontList(std::move(fonts));
    return anyEmbeddable ? S_OK : kNothingToEmbed;
}

EmbedFontData CFontEmbedderComponent::Classify(const FontUsage& usage) const {
    EmbedFontData data;
    data.name = usage.family;
    data.weight = usage.weight;
    data.italic = usage.italic;
    data.characters = ToUtf16(usage.characters);
    if (IsGenericFamily(usage.family)) {
        data.kind = FontKind::GenericName;
        return data;
    }
    if (!usage.externalUrl.empty()) {
        data.kind = FontKind::External;  // the book brings its own file
        return data;
    }
    std::optional<InstalledFont> installed = m_catalog.Find(usage.family, usage.weight, usage.italic);
    if (IsReaderFace(usage.family)) {
        data.kind = FontKind::Native;
        if (installed && installed->embeddable)
            data.file = installed->file;  // embedded only when the client asks for it
        return data;
    }
    if (!installed) {
        data.kind = FontKind::Unknown;
    } else if (!installed->embeddable) {
        data.kind = FontKind::NotEmbeddable;
    } else {
        data.kind = FontKind::Embeddable;
        data.file = installed->file;
        data.embed = true;
    }
    return data;
}

IDispatch* CFontEmbedderComponent::GetFontList(IFilterHost*) {
    if (!m_fontList)
        return nullptr;
    IDispatch* list = m_fontList.Get();
    list->AddRef();
    return list;
}

HRESULT CFontEmbedderComponent::Embed(LPCOLESTR workFolder, IFilterHost* host) {
    if (workFolder == nullptr)
        return E_POINTER;
    if (!m_fontList)
        return S_OK;  // nothing was analysed, so nothing is chosen
    std::vector<EmbedFontData> chosen;
    for (const leaf::ComPtr<CEmbedFont>& font : m_fontList->Fonts())
        if (font->Data().embed && CanBeEmbedded(font->Data()))
            chosen.push_back(font->Data());
    return EmbedFonts(chosen, leaf::Utf16ToUtf8(workFolder), host);
}

HRESULT CFontEmbedderComponent::End(IFilterHost*) {
    m_pages.clear();
    m_styleSheets.clear();
    m_fontList = nullptr;
    return S_OK;
}

}  // namespace fontembed

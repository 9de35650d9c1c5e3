#include "filters/word/WordFilter.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "common/WordBridge.h"
#include "filters/html/HtmlFilterIds.h"
#include "filters/word/WordDocument.h"
#include "filters/word/WordFilterIds.h"
#include "filters/word/WordPageLinks.h"
#include "platform/base/Environment.h"
#include "platform/base/File.h"
#include "platform/base/FileKind.h"
#include "platform/base/TextEncoding.h"
#include "platform/com/Bstr.h"
#include "platform/com/ComRuntime.h"
#include "platform/registry/RegistryKey.h"
#include "platform/ui/Resources.h"

namespace {

// Process-wide: the next temporary folder number to try, and the last intermediate
// file number used.
int g_tempFolderNumber = 1;
int g_intermediateNumber = 0;

// Temporary folders are numbered 1 to 998.
constexpr int kTempFolderNumbers = 998;

// "wordintake." and three digits: the names of the filter's temporary folders.
bool IsTempFolderName(std::string_view name) {
    constexpr std::string_view prefix = "wordintake.";
    if (name.size() != prefix.size() + 3 || !name.starts_with(prefix))
        return false;
    for (const char ch : name.substr(prefix.size()))
        if (ch < '0' || ch > '9')
            return false;
    return true;
}

std::u16string Wide(const CString& text) { return leaf::Utf8ToUtf16(text.str()); }

CString Narrow(LPCOLESTR text) { return CString(leaf::Utf16ToUtf8(text)); }

// A failure of a bridge call inside the save, carrying its HRESULT.
class WordCallFailed : public std::exception {
public:
    explicit WordCallFailed(HRESULT result) : m_result(result) {
        m_text.Format("The operation failed (error 0x%08X).", static_cast<unsigned>(result));
    }
    HRESULT Result() const { return m_result; }
    const char* what() const noexcept override { return m_text.c_str(); }

private:
    HRESULT m_result;
    CString m_text;
};

}  // namespace

CWordFilter::~CWordFilter() {
    m_htmlFilter.Reset();
    if (m_word)
        QuitWord(m_word);
    DeleteIntermediates();
    // The temporary folder goes only when nothing else is left in it.
    m_tempFolderOwner.Release();
    if (!m_tempFolder.IsEmpty())
        ::rmdir(m_tempFolder.c_str());
    m_documents.clear();
}

BOOL CWordFilter::IsWordInstalled() {
    leaf::RegistryKey word = leaf::RegistryKey::Open(HKEY_CLASSES_ROOT, "Word.Application");
    if (!word.IsOpen())
        return FALSE;
    leaf::RegistryKey curVer = leaf::RegistryKey::Open(word.Handle(), "CurVer");
    if (!curVer.IsOpen())
        return FALSE;
    CString progId(curVer.ReadString().value_or(std::string()));
    CString version = progId.Mid(progId.ReverseFind('.') + 1);
    return std::atoi(version.c_str()) > 8 ? TRUE : FALSE;
}

BOOL CWordFilter::FolderExists(const char* path) {
    if (path == nullptr)
        return FALSE;
    CFileStatus status;
    return CFile::GetStatus(path, status) && (status.m_attribute & CFile::directory) != 0 ? TRUE : FALSE;
}

BOOL CWordFilter::CreateFolderPath(const char* path) {
    if (path == nullptr || *path == '\0')
        return FALSE;
    if (FolderExists(path))
        return TRUE;
    CString full(path);
    // Each prefix up to a separator, then the whole path.
    for (int separator = full.Find('/', 1); separator != -1; separator = full.Find('/', separator + 1)) {
        CString prefix = full.Left(separator);
        if (!FolderExists(prefix.c_str()))
            ::mkdir(prefix.c_str(), 0777);
    }
    if (!FolderExists(path))
        ::mkdir(path, 0777);
    return FolderExists(path);
}

void CWordFilter::DeleteFolderTree(const char* folder) {
    if (folder != nullptr && *folder != '\0')
        leaf::DeleteTree(folder);
}

bool CWordFilter::CreateTempFolder() {
    std::string base = leaf::GetTempFolder();
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    if (!base.empty())
        CreateFolderPath(base.c_str());
    // What filters killed mid-build left; folders without this system's mark stay.
    leaf::RemoveStaleScratchFolders(base.empty() ? "/" : base, IsTempFolderName);
    // A name is taken only when this call creates its folder (private to the user): a
    // name already in use, by a folder, a file or a link, and one made by another
    // process at the same moment, is passed over, so two builds never share a folder.
    // Each number is tried once, from the one this process took last, so that names
    // freed since are found again. With every name taken, or a temporary folder that
    // refuses new folders, the filter has no folder: its pages are not written anywhere
    // else.
    m_tempFolderProblem.Empty();
    int error = EEXIST;
    for (int tried = 0; tried < kTempFolderNumbers && error == EEXIST; ++tried) {
        if (g_tempFolderNumber < 1 || g_tempFolderNumber > kTempFolderNumbers)
            g_tempFolderNumber = 1;
        m_tempFolder.Format("%s/wordintake.%.3d", base.c_str(), g_tempFolderNumber);
        if (::mkdir(m_tempFolder.c_str(), 0700) == 0) {
            // Unmarked, the folder still works; only a kill would then leave it behind.
            m_tempFolderOwner.Claim(m_tempFolder.str());
            return true;
        }
        error = errno;
        if (error == EEXIST)
            ++g_tempFolderNumber;
    }
    m_tempFolder.Empty();
    const CString why =
        error == EEXIST ? leaf::ui::LoadResString(IDS_WORD_TEMP_NAMES_TAKEN) : CString(std::strerror(error));
    m_tempFolderProblem =
        leaf::ui::FormatResString(IDS_WORD_NO_TEMP_FOLDER, base.empty() ? "/" : base.c_str(), why.c_str());
    return false;
}

BOOL CWordFilter::MakeIntermediateName(CString& name) {
    if (m_tempFolder.IsEmpty()) {
        name.Empty();
        return FALSE;
    }
    for (;;) {
        if (g_intermediateNumber >= 9999) {
            name.Empty();
            return FALSE;
        }
        ++g_intermediateNumber;
        name.Format("%s/$doc%.4d.htm", m_tempFolder.c_str(), g_intermediateNumber);
        CFileStatus status;
        if (!CFile::GetStatus(name.c_str(), status))
            return TRUE;
    }
}

HRESULT CWordFilter::Initialize() {
    if (!m_wordChecked) {
        if (!IsWordInstalled())
            return E_FAIL;
        m_wordChecked = true;
    }
    leaf::ComPtr<IInputFilter> html;
    HRESULT hr = CoCreateInstance(CLSID_HtmlFilter, nullptr, CLSCTX_INPROC_SERVER, IID_IInputFilter,
                                  html.ReceiveVoid());
    if (FAILED(hr))
        return hr;
    hr = html->Initialize();
    if (FAILED(hr))
        return hr;
    m_htmlFilter = html;
    if (m_tempFolder.IsEmpty())
        CreateTempFolder();
    return S_OK;
}

HRESULT CWordFilter::Prepare(LPCOLESTR sourcePath, LPCOLESTR, IFilterHost* host) {
    if (sourcePath == nullptr || host == nullptr)
        return E_POINTER;
    // Without a successful Initialize there is no HTML filter to hand the page to.
    if (!m_htmlFilter)
        return E_UNEXPECTED;
    CString source = Narrow(sourcePath);
    // A FIFO or device is no document: Word would wait on it for ever.
    if (leaf::KindOfFileFound(source.str()) == leaf::FileKind::Special) {
        host->SetErrorDetails(u"it is not a regular file");
        return STG_E_PATHNOTFOUND;
    }
    // Names freed since Initialize found none may be taken now.
    if (m_tempFolder.IsEmpty() && !CreateTempFolder()) {
        host->SetErrorDetails(Wide(m_tempFolderProblem).c_str());
        return kNoIntermediateName;
    }
    CString intermediate;
    if (!MakeIntermediateName(intermediate))
        return kNoIntermediateName;
    HRESULT hr = EnsureWordStarted(m_word);
    if (FAILED(hr))
        return hr;

    hr = SaveDocumentAsHtml(source, intermediate, host);
    if (FAILED(hr)) {
        // Whatever a failed save left (the page, its picture folder) goes again.
        DeleteIntermediate(intermediate);
        return hr;
    }
    // The pictures that Word wrote beside the page are named as lying beside the document.
    int separator = source.ReverseFind('/');
    CString documentFolder = separator >= 0 ? source.Left(separator) : CString();
    hr = m_htmlFilter->Prepare(Wide(intermediate).c_str(), Wide(documentFolder).c_str(), host);
    if (SUCCEEDED(hr))
        hr = PointLinksIntoTheBook(source, intermediate, host);
    if (FAILED(hr)) {
        // Without a map entry nothing would ever use or remove the page.
        DeleteIntermediate(intermediate);
        return hr;
    }
    CString key = source;
    key.MakeLower();
    // A document prepared again gets a new page. The earlier one stays until the filter
    // goes (the host may still copy the pictures it reported) and is deleted then.
    auto earlier = m_documents.find(key);
    if (earlier != m_documents.end() && earlier->second != intermediate)
        m_superseded.push_back(earlier->second);
    m_documents[key] = intermediate;
    return S_OK;
}

HRESULT CWordFilter::Convert(LPCOLESTR sourcePath, LPCOLESTR destinationPath, LONG flags, IFilterHost* host) {
    if (sourcePath == nullptr || destinationPath == nullptr || host == nullptr)
        return E_POINTER;
    if (!m_htmlFilter)
        return E_UNEXPECTED;
    CString source = Narrow(sourcePath);
    CString key = source;
    key.MakeLower();
    auto found = m_documents.find(key);
    if (found == m_documents.end()) {
        CString message = leaf::ui::FormatResString(IDS_WORD_NO_INTERMEDIATE, source.c_str());
        host->SetErrorDetails(Wide(message).c_str());
        return E_FAIL;
    }
    return m_htmlFilter->Convert(Wide(found->second).c_str(), destinationPath, flags, host);
}

HRESULT CWordFilter::GetSize(LPCOLESTR sourcePath, LONG flags, LONG* units) {
    if (!m_htmlFilter) {
        if (units != nullptr)
            *units = 0;
        return sourcePath == nullptr || units == nullptr ? E_POINTER : E_UNEXPECTED;
    }
    // A FIFO or device is no document: it cannot be read as one (nor sized).
    if (sourcePath != nullptr && units != nullptr &&
        leaf::KindOfFileFound(Narrow(sourcePath).str()) == leaf::FileKind::Special) {
        *units = 0;
        return STG_E_PATHNOTFOUND;
    }
    // The HTML filter measures the Word document itself: its page does not exist yet
    // while the dependency scan is totalled.
    return m_htmlFilter->GetSize(sourcePath, flags, units);
}

HRESULT CWordFilter::SaveDocumentAsHtml(const CString& document, const CString& intermediate, IFilterHost* host) {
    CWordDocument wordDocument;
    HRESULT hr = S_OK;
    try {
        HRESULT opened = OpenWordDocument(m_word.get(), &wordDocument, document.c_str(), FALSE);
        if (FAILED(opened))
            throw WordCallFailed(opened);
        wordDocument.SaveAs(intermediate, wordid::kFormatHtml, 0);
        HRESULT closed = CloseWordDocument(m_word.get(), &wordDocument);
        if (FAILED(closed))
            throw WordCallFailed(closed);
    } catch (const WordCallFailed& failure) {
        hr = failure.Result();
        host->SetErrorDetails(Wide(leaf::ui::FormatResString(IDS_WORD_SAVE_FAILED, failure.what())).c_str());
    } catch (...) {
        hr = WordExceptionResult();
        CString text = WordExceptionText();
        host->SetErrorDetails(Wide(leaf::ui::FormatResString(IDS_WORD_SAVE_FAILED, text.c_str())).c_str());
        // A document whose save failed is not left open in Word.
        if (wordDocument.GetDispatch() != nullptr)
            CloseWordDocument(m_word.get(), &wordDocument);
    }
    wordDocument.ReleaseDispatch();
    return hr;
}

HRESULT CWordFilter::PointLinksIntoTheBook(const CString& document, const CString& intermediate,
                                           IFilterHost* host) {
    std::string page;
    if (!leaf::ReadFileBytes(intermediate.str(), page))
        return E_FAIL;
    // The build's source folder bounds the links that stay relative; without one the
    // document's own folder does.
    leaf::Bstr sourceFolder;
    CWordPagePlaces places{intermediate.str(), document.str(), std::string()};
    if (SUCCEEDED(host->GetSourceFolder(sourceFolder.Receive())))
        places.sourceFolder = sourceFolder.ToUtf8();
    std::string rewritten = RewriteWordPageLinks(page, places);
    if (rewritten != page && !leaf::WriteFileAtomically(intermediate.str(), rewritten))
        return E_FAIL;
    return S_OK;
}

void CWordFilter::DeleteIntermediates() {
    for (auto entry = m_documents.begin(); entry != m_documents.end(); entry = m_documents.erase(entry))
        DeleteIntermediate(entry->second);
    for (const CString& intermediate : m_superseded)
        DeleteIntermediate(intermediate);
    m_superseded.clear();
}

void CWordFilter::DeleteIntermediate(const CString& intermediate) {
    CFileStatus status;
    if (CFile::GetStatus(intermediate.c_str(), status))
        ::unlink(intermediate.c_str());
    // The companion folder is named after the page: "$docNNNN_files".
    int dollar = intermediate.ReverseFind('$');
    if (dollar < 0)
        return;
    CString companion = intermediate.Left(dollar) + intermediate.Mid(dollar, 8) + "_files";
    DeleteFolderTree(companion.c_str());
}

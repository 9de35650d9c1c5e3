#include "sdk/compiler/EBookCompilerDriver.h"

#include <dlfcn.h>

#include <limits>
#include <memory>

#include "platform/base/File.h"
#include "platform/base/TextEncoding.h"
#include "sdk/LeafcraftSDK.h"
#include "sdk/compiler/IntermediateEncoder.h"

namespace {

constexpr LONG kCompileStep = 3;
constexpr UINT kBinaryBufferSize = 1024;
// How many pages a worker encodes ahead of the page the compiler asks for: enough to keep
// every worker busy while the calling thread replays, few enough that the recordings
// held stay small.
constexpr size_t kPagesAheadPerWorker = 2;

// The compiler module, loaded for one compile and unloaded when this goes.
class CCompilerLibrary {
public:
    explicit CCompilerLibrary(const CString& path) : m_path(path), m_handle(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
        if (m_handle == nullptr)
            m_failure = Failure();
    }
    ~CCompilerLibrary() {
        if (m_handle)
            dlclose(m_handle);
    }
    CCompilerLibrary(const CCompilerLibrary&) = delete;
    CCompilerLibrary& operator=(const CCompilerLibrary&) = delete;

    bool IsLoaded() const { return m_handle != nullptr; }
    CreateWriterFunction GetCreateWriter() {
        dlerror();
        auto function = reinterpret_cast<CreateWriterFunction>(dlsym(m_handle, kCreateWriterEntryPoint));
        if (function == nullptr)
            m_failure = Failure();
        return function;
    }
    // The library's path and why it could not be loaded or used, as the system said.
    const CString& GetFailure() const { return m_failure; }

private:
    // The loader's text names the library itself, mostly; else the path goes first.
    CString Failure() const {
        const char* text = dlerror();
        if (text == nullptr || *text == '\0')
            return m_path;
        const CString reason(text);
        return reason.Find(m_path.str()) >= 0 ? reason : m_path + ": " + reason;
    }

    CString m_path;
    void* m_handle;
    CString m_failure;
};

LONG ClampUnits(ULONGLONG units) {
    return static_cast<LONG>(std::min<ULONGLONG>(units, std::numeric_limits<LONG>::max()));
}

// The writer, cancelled when a failure leaves before Finish.
class CWriterGuard {
public:
    explicit CWriterGuard(IEBookWriter* writer) : m_writer(writer) {}
    ~CWriterGuard() {
        if (m_writer)
            m_writer->Cancel();
    }
    CWriterGuard(const CWriterGuard&) = delete;
    CWriterGuard& operator=(const CWriterGuard&) = delete;
    void Dismiss() { m_writer = nullptr; }

private:
    IEBookWriter* m_writer;
};

}  // namespace

CString StreamUrlToPath(BSTR url) {
    std::string text = leaf::BstrToUtf8(url);
    if (text.size() >= 7 && leaf::EqualsNoCase(std::string_view(text).substr(0, 7), "file://"))
        text.erase(0, 7);
    return CString(std::move(text));
}

CEBookCompilerDriver::~CEBookCompilerDriver() = default;

BOOL CEBookCompilerDriver::Compile(const CString& libraryPath, const CString& eBookPath, const CString& packagePath,
                                   const CString& workFolder, const CString& source) {
    if (m_site.IsAbortRequested()) {
        m_site.SetError(LCERR_ABORTED);
        return FALSE;
    }
    CCompilerCallback& callback = m_site.GetCompilerCallback();
    LONG& currentLine = *m_site.GetCurrentLine();
    m_site.ResetProgress(kCompileStep);
    callback.Reset();
    m_site.FireUpdateProgress(0, kCompileStep, CString());

    // Declared first: unloaded after the writer and every stream are released.
    CCompilerLibrary library(libraryPath);
    if (!library.IsLoaded()) {
        m_site.SetError(LCERR_LITGEN_LOAD, library.GetFailure());
        return FALSE;
    }
    CreateWriterFunction createWriter = library.GetCreateWriter();
    if (createWriter == nullptr) {
        m_site.SetError(LCERR_LITGEN_ACCESS, library.GetFailure());
        return FALSE;
    }
    leaf::ComPtr<IEBookWriter> writer;
    {
        leaf::ComPtr<IUnknown> object;
        if (FAILED(createWriter(object.Receive())) || !object || !(writer = object.As<IEBookWriter>())) {
            m_site.SetError(LCERR_LITGEN_CREATE, libraryPath);
            return FALSE;
        }
    }
    if (FAILED(writer->Initialize(&callback))) {
        m_site.SetError(LCERR_LITGEN_INITIALIZE);
        return FALSE;
    }
    const CString folderWithSeparator = workFolder + "/";
    if (FAILED(writer->BeginEBook(leaf::Utf8ToUtf16(eBookPath.str()).c_str(),
                                  leaf::Utf8ToUtf16(folderWithSeparator.str()).c_str(),
                                  leaf::Utf8ToUtf16(source.str()).c_str(), nullptr))) {
        m_site.SetError(LCERR_CREATEEBOOK, eBookPath);
        return FALSE;
    }

    CWriterGuard cancelOnFailure(writer);
    if (!EncodePackage(writer, packagePath))
        return FALSE;
    StartEncodingAhead();

    // Progress is counted in bytes of the sources; the package counts as done at once.
    LONGLONG total = 0;
    for (const CString& path : m_site.GetManifestFilePaths()) {
        CFileStatus status;
        if (CFile::GetStatus(path.c_str(), status))
            total += static_cast<LONGLONG>(status.m_size);
    }
    CFileStatus packageStatus;
    const bool packageKnown = CFile::GetStatus(packagePath.c_str(), packageStatus);
    if (packageKnown)
        total += static_cast<LONGLONG>(packageStatus.m_size);
    m_site.SetProgressTotal(total);
    if (packageKnown && m_site.GetHost()->StepProgress(ClampUnits(packageStatus.m_size)) < 0) {
        m_site.SetError(LCERR_ABORTED);
        return FALSE;
    }

    // The three kinds of item, each until the compiler has none left.
    struct Kind {
        HRESULT (IEBookWriter::*next)(IUnknown**);
        LONG failure;
    };
    const Kind kinds[] = {{&IEBookWriter::NextCssItem, LCERR_ENCODECSS},
                          {&IEBookWriter::NextHtmlItem, LCERR_ENCODEHTML},
                          {&IEBookWriter::NextBinaryItem, LCERR_ENCODEBINARY}};
    for (const Kind& kind : kinds) {
        for (;;) {
            callback.Defer();
            leaf::ComPtr<IUnknown> object;
            HRESULT hr = (writer.Get()->*kind.next)(object.Receive());
            if (FAILED(hr) || !object) {
                callback.Flush(nullptr);
                break;
            }
            CString path;
            BOOL encoded = TRUE;
            if (kind.failure == LCERR_ENCODECSS) {
                leaf::ComPtr<ICssStream> css = object.As<ICssStream>();
                object = nullptr;
                if (!css) {
                    callback.Flush(nullptr);
                    continue;
                }
                CString file = GetStreamFilePath(css.Get());
                callback.Flush(&file);
                SetCurrentItem(workFolder);
                currentLine = 0;
                encoded = EncodeCssItems(css.Detach(), path);
            } else if (kind.failure == LCERR_ENCODEHTML) {
                leaf::ComPtr<IMarkupStream> markup = object.As<IMarkupStream>();
                object = nullptr;
                if (!markup) {
                    callback.Flush(nullptr);
                    continue;
                }
                CString file = GetStreamFilePath(markup.Get());
                callback.Flush(&file);
                SetCurrentItem(workFolder);
                currentLine = 0;
                encoded = EncodeHtmlItems(markup.Detach(), path);
            } else {
                leaf::ComPtr<IBinaryStream> binary = object.As<IBinaryStream>();
                object = nullptr;
                if (!binary) {
                    callback.Flush(nullptr);
                    continue;
                }
                CString file = GetStreamFilePath(binary.Get());
                callback.Flush(&file);
                SetCurrentItem(workFolder);
                currentLine = 0;
                encoded = EncodeBinaryItems(binary.Detach(), path);
            }
            if (!encoded) {
                if (m_site.IsAbortRequested()) {
                    m_site.SetError(LCERR_ABORTED);
                } else {
                    if (m_site.GetErrorDetails().IsEmpty())
                        m_site.SetError(kind.failure, path);
                    else
                        m_site.SetError(kind.failure);
                }
                return FALSE;
            }
        }
        if (kind.failure == LCERR_ENCODEHTML)
            m_pagesAhead.reset();  // the workers are done
    }
    callback.Reset();

    // An abort requested from the handler of the last event stops the e-book too.
    if (m_site.IsAbortRequested()) {
        m_site.SetError(LCERR_ABORTED);
        return FALSE;
    }
    cancelOnFailure.Dismiss();
    if (FAILED(writer->Finish())) {
        m_site.SetError(LCERR_UNEXPECTED);
        return FALSE;
    }
    writer = nullptr;
    m_site.SetProgressDetail(CString());
    m_site.FireUpdateProgress(100, kCompileStep, CString());
    return TRUE;
}

BOOL CEBookCompilerDriver::EncodePackage(IEBookWriter* writer, const CString& packagePath) {
    leaf::ComPtr<IMarkupStream> stream;
    {
        leaf::ComPtr<IUnknown> object;
        if (FAILED(writer->GetPackageStream(m_site.GetForceOEBFlag(), object.Receive())) || !object ||
            !(stream = object.As<IMarkupStream>())) {
            m_site.SetError(LCERR_UNEXPECTED);
            return FALSE;
        }
    }
    CCompilerCallback& callback = m_site.GetCompilerCallback();
    callback.Reset();
    callback.SetCurrentFile(packagePath);

    CIntermediateEncoder encoder(nullptr, nullptr, nullptr);
    BOOL encoded = encoder.EncodeFile(packagePath, stream, m_site.GetCurrentLine());
    if (FAILED(stream->End()))
        encoded = FALSE;
    stream = nullptr;
    if (encoded)
        return TRUE;
    if (m_site.IsAbortRequested()) {
        m_site.SetError(LCERR_ABORTED);
    } else if (m_site.GetErrorDetails().IsEmpty()) {
        m_site.SetError(LCERR_ENCODEPACKAGE, packagePath);
    } else {
        m_site.SetError(LCERR_ENCODEPACKAGE);
    }
    return FALSE;
}


void CEBookCompilerDriver::SetCurrentItem(const CString& workFolder) {
    const CString& file = m_site.GetCompilerCallback().GetCurrentFile();
    const CString prefix = workFolder + "/";
    // An item outside the work folder is shown with its whole path.
    CString detail = file.str().starts_with(prefix.str()) ? file.Mid(prefix.GetLength()) : file;
    m_site.SetProgressDetail(detail);
    m_site.GetHost()->StepProgress(0);
}

BOOL CEBookCompilerDriver::EncodeCssItems(ICssStream* css, CString& path) {
    leaf::ComPtr<ICssStream> owned;
    owned.Attach(css);
    path = GetStreamFilePath(css);
    IFilterHost* host = m_site.GetHost();

    CStdioFile file;
    if (!file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyWrite | CFile::typeText))
        return FALSE;
    try {
        CString line;
        while (file.ReadString(line)) {
            line += "\n";
            if (line.GetLength() > std::numeric_limits<LONG>::max() / 2) {
                css->End();
                return FALSE;
            }
            const LONG length = line.GetLength();
            LONG written = 0;
            const HRESULT hr = css->Write(line.c_str(), length, &written);
            if (FAILED(hr) || written != length || host->StepProgress(length) < 0) {
                css->End();
                return FALSE;
            }
        }
        file.Close();
    } catch (const CFileException&) {
        file.Abort();
        css->End();
        return FALSE;
    }
    return SUCCEEDED(css->End()) ? TRUE : FALSE;
}

void CEBookCompilerDriver::StartEncodingAhead() {
    m_pageEncoding = std::make_shared<const CPageEncoding>(m_site);
    const size_t workers = m_site.GetEncodingWorkers();
    const std::vector<CString> pages = m_site.GetPageWorkPaths();
    if (workers > 1 && pages.size() > 1)
        m_pagesAhead = std::make_unique<CPagesEncodedAhead>(m_pageEncoding, pages, workers,
                                                            workers * kPagesAheadPerWorker);
}

BOOL CEBookCompilerDriver::EncodeHtmlItems(IMarkupStream* stream, CString& path) {
    leaf::ComPtr<IMarkupStream> owned;
    owned.Attach(stream);
    path = GetStreamFilePath(stream);
    if (!m_pageEncoding)
        m_pageEncoding = std::make_shared<const CPageEncoding>(m_site);

    IFilterHost* host = m_site.GetHost();
    LONG* lineOut = m_site.GetCurrentLine();
    BOOL encoded = FALSE;
    std::unique_ptr<CPagesEncodedAhead::Page> ahead = m_pagesAhead ? m_pagesAhead->Take(path) : nullptr;
    if (ahead && host != nullptr) {
        encoded = ahead->recording->Replay(*stream, *host, lineOut, ahead->result,
                                           [&](IMarkupStream& continued, IFilterHost& continuedHost, LONG* line) {
                                               return m_pageEncoding->Encode(path, continued, &continuedHost, line);
                                           });
    } else {
        encoded = m_pageEncoding->Encode(path, *stream, host, lineOut);
    }
    if (FAILED(stream->End()))
        return FALSE;
    return encoded;
}

BOOL CEBookCompilerDriver::EncodeBinaryItems(IBinaryStream* stream, CString& path) {
    leaf::ComPtr<IBinaryStream> owned;
    owned.Attach(stream);
    path = GetStreamFilePath(stream);
    IFilterHost* host = m_site.GetHost();

    CFile file;
    if (!file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyNone))
        return FALSE;
    try {
        const ULONGLONG length = file.GetLength();
        ULONGLONG copied = 0;
        char buffer[kBinaryBufferSize];
        while (copied < length) {
            const UINT count = file.Read(buffer, kBinaryBufferSize);
            if (count == 0)
                return FALSE;  // the file became shorter while it was read
            LONG written = 0;
            const HRESULT hr = stream->Write(buffer, static_cast<LONG>(count), &written);
            if (FAILED(hr) || written != static_cast<LONG>(count) || host->StepProgress(static_cast<LONG>(count)) < 0)
                return FALSE;
            copied += count;
        }
        file.Close();
    } catch (const CFileException&) {
        file.Abort();
        return FALSE;
    }
    return TRUE;
}

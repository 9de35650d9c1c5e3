#include "filters/image/ImageFilter.h"

#include <algorithm>
#include <string>
#include <vector>

#include "filters/image/ImageFilterIds.h"
#include "filters/image/ImageFilterPage.h"
#include "platform/base/File.h"
#include "platform/base/FileKind.h"
#include "platform/base/TextEncoding.h"
#include "platform/com/Bstr.h"

namespace {

// The failure of a destination that cannot be created.
constexpr HRESULT kCannotCreateOutput = static_cast<HRESULT>(0x80040214);

// The work a reading-order picture counts, whatever its size.
constexpr LONG kPageUnits = 100;
constexpr UINT kCopyBlockSize = 10240;

// Text fit for a double-quoted attribute value.
std::string EscapeAttribute(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (char ch : text) {
        switch (ch) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        case '\'': escaped += "&#39;"; break;
        default: escaped += ch; break;
        }
    }
    return escaped;
}

// The name of a file behind its folder, whichever separator the path was written with.
std::string FileNameOf(const std::string& path) {
    const size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

LONG ClampToLong(ULONGLONG value) {
    return static_cast<LONG>(std::min<ULONGLONG>(value, 0x7FFFFFFF));
}

}  // namespace

CImageFilter::CImageFilter() : CFilterObject(IDD_IMAGE_FILTER_PAGE) {}

std::unique_ptr<CFilterPageFace> CImageFilter::CreatePropertyPage(IUnknown* owner, UINT dialogId) {
    return std::make_unique<CImageFilterPage>(owner, dialogId, *this);
}

HRESULT CImageFilter::Initialize() {
    if (const CFilterApp* app = CFilterApp::GetApp())
        m_align = app->GetProfileString(kProfileSection, kAlignEntry, kDefaultAlign);
    return S_OK;
}

HRESULT CImageFilter::Prepare(LPCOLESTR sourcePath, LPCOLESTR, IFilterHost* host) {
    if (sourcePath == nullptr || host == nullptr)
        return E_POINTER;
    // The picture itself is the one file it needs.
    return host->AddDependency(sourcePath, nullptr);
}

HRESULT CImageFilter::Convert(LPCOLESTR sourcePath, LPCOLESTR destinationPath, LONG flags, IFilterHost* host) {
    if (sourcePath == nullptr || destinationPath == nullptr || host == nullptr)
        return E_POINTER;
    const CString source(leaf::Utf16ToUtf8(sourcePath));
    const CString destination(leaf::Utf16ToUtf8(destinationPath));
    if ((flags & kFilterReadingOrderItem) != 0)
        return WritePage(source, destination, host);
    return CopyPicture(source, destination, host);
}

HRESULT CImageFilter::GetSize(LPCOLESTR sourcePath, LONG flags, LONG* units) {
    if (sourcePath == nullptr || units == nullptr)
        return E_POINTER;
    *units = 0;
    if ((flags & kFilterScanDependencies) != 0)
        return S_OK;
    // A FIFO or device is no picture: it cannot be read as one (nor sized).
    CFileStatus status;
    if (!CFile::GetStatus(leaf::Utf16ToUtf8(sourcePath).c_str(), status) ||
        leaf::KindOfFile(status.m_szFullName.str()) == leaf::FileKind::Special)
        return STG_E_PATHNOTFOUND;
    *units = (flags & kFilterReadingOrderItem) != 0 ? kPageUnits : ClampToLong(status.m_size);
    return S_OK;
}

// The picture reaches the package beside the page under its own name (Prepare reports
// it), so the page refers to it by its file name alone.
HRESULT CImageFilter::WritePage(const CString& source, const CString& destination, IFilterHost* host) const {
    {
        leaf::Bstr folder;
        if (FAILED(host->GetSourceFolder(folder.Receive())))
            return E_UNEXPECTED;
    }
    const std::string name = FileNameOf(source.str());
    // A page written over the picture it shows would destroy the picture.
    if (leaf::IsSameFile(source.str(), destination.str()))
        return kCannotCreateOutput;

    CStdioFile page;
    if (!page.Open(destination.str().c_str(),
                   CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive | CFile::typeText))
        return kCannotCreateOutput;
    try {
        page.WriteString("<html><body>\n");
        page.WriteString("<p align=\"" + EscapeAttribute(m_align.str()) + "\">\n");
        page.WriteString("<img src=\"" + EscapeAttribute(name) + "\" />\n");
        page.WriteString("</p>\n</body></html>");
        page.Close();
    } catch (...) {
        page.Abort();
        return E_UNEXPECTED;
    }
    return host->StepProgress(kPageUnits) < 0 ? E_ABORT : S_OK;
}

HRESULT CImageFilter::CopyPicture(const CString& source, const CString& destination, IFilterHost* host) {
    try {
        CFile in(source.str().c_str(), CFile::modeRead | CFile::shareDenyNone | CFile::typeBinary);
        // Copying a picture onto itself would empty it before it is read.
        if (leaf::IsSameFile(source.str(), destination.str()))
            return E_UNEXPECTED;
        CFile out(destination.str().c_str(),
                  CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive | CFile::typeBinary);
        ULONGLONG remaining = in.GetLength();
        std::vector<BYTE> block(kCopyBlockSize);
        while (remaining > 0) {
            const UINT wanted = static_cast<UINT>(std::min<ULONGLONG>(remaining, kCopyBlockSize));
            const UINT count = in.Read(block.data(), wanted);
            if (count == 0)
                break;  // the source ended early
            out.Write(block.data(), count);
            remaining -= count;
            if (host->StepProgress(static_cast<LONG>(count)) < 0) {
                in.Abort();
                out.Abort();
                return E_ABORT;
            }
        }
        out.Close();
        in.Close();
    } catch (...) {
        return E_UNEXPECTED;
    }
    return S_OK;
}

#include "filters/text/TextFilter.h"

#include <algorithm>
#include <string>
#include <vector>

#include "filters/text/PlainTextConverter.h"
#include "filters/text/TextFilterIds.h"
#include "filters/text/TextFilterPage.h"
#include "markup/ByteOrderMark.h"
#include "platform/base/File.h"
#include "platform/base/FileKind.h"
#include "platform/base/TextEncoding.h"

namespace {

// The failure of a destination that cannot be created.
constexpr HRESULT kCannotCreateOutput = static_cast<HRESULT>(0x80040214);
constexpr UINT kBlockSize = 10240;

}  // namespace

CTextFilter::CTextFilter() : CFilterObject(IDD_TEXT_FILTER_PAGE) {}

std::unique_ptr<CFilterPageFace> CTextFilter::CreatePropertyPage(IUnknown* owner, UINT dialogId) {
    return std::make_unique<CTextFilterPage>(owner, dialogId, *this);
}

void CTextFilter::SetTabStop(int tabStop) {
    m_tabStop = (tabStop < 1 || tabStop > kMaxTabStop) ? kDefaultTabStop : tabStop;
}

HRESULT CTextFilter::Initialize() {
    if (const CFilterApp* app = CFilterApp::GetApp())
        SetTabStop(static_cast<int>(app->GetProfileInt(kProfileSection, kTabStopEntry, kDefaultTabStop)));
    return S_OK;
}

HRESULT CTextFilter::Prepare(LPCOLESTR sourcePath, LPCOLESTR, IFilterHost* host) {
    return sourcePath == nullptr || host == nullptr ? E_POINTER : S_OK;
}

HRESULT CTextFilter::GetSize(LPCOLESTR sourcePath, LONG flags, LONG* units) {
    if (sourcePath == nullptr || units == nullptr)
        return E_POINTER;
    *units = 0;
    if ((flags & kFilterScanDependencies) != 0)
        return S_OK;
    // A FIFO or device is no text file: it cannot be read as one (nor sized).
    const std::string source = leaf::Utf16ToUtf8(sourcePath);
    CFileStatus status;
    if (!CFile::GetStatus(source.c_str(), status) || leaf::KindOfFile(status.m_szFullName.str()) == leaf::FileKind::Special)
        return STG_E_PATHNOTFOUND;
    *units = static_cast<LONG>(std::min<ULONGLONG>(status.m_size, 0x7FFFFFFF));
    return S_OK;
}

// One pass over the file in blocks; what is held at any time is one block and its
// converted form.
HRESULT CTextFilter::Convert(LPCOLESTR sourcePath, LPCOLESTR destinationPath, LONG, IFilterHost* host) {
    if (sourcePath == nullptr || destinationPath == nullptr || host == nullptr)
        return E_POINTER;
    const std::string source = leaf::Utf16ToUtf8(sourcePath);
    const std::string destination = leaf::Utf16ToUtf8(destinationPath);
    CFile in;
    if (!in.Open(source.c_str(), CFile::modeRead | CFile::shareDenyNone | CFile::typeBinary))
        return STG_E_PATHNOTFOUND;
    // Creating the page over its own source would empty the source before it is read.
    if (leaf::IsSameFile(source, destination))
        return kCannotCreateOutput;
    CFile out;
    if (!out.Open(destination.c_str(),
                  CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive | CFile::typeBinary))
        return kCannotCreateOutput;

    try {
        ULONGLONG remaining = in.GetLength();
        // Room for the longest mark, although only a UTF-16 mark (two bytes) is read.
        unsigned char mark[leaf::markup::kLongestByteOrderMark] = {};
        const UINT markLength = remaining >= 2 ? in.Read(mark, 2) : 0;
        // UTF-16 of either byte order; the page is written little-endian.
        const leaf::markup::SourceEncoding encoding =
            leaf::markup::DetectByteOrderMark(std::string_view(reinterpret_cast<const char*>(mark), markLength)).encoding;
        const bool utf16 = leaf::markup::IsUtf16(encoding);
        if (utf16)
            remaining -= 2;
        else
            in.SeekToBegin();

        CPlainTextConverter converter(utf16, m_tabStop, encoding == leaf::markup::SourceEncoding::Utf16BigEndian);
        const std::string head = converter.Head();
        out.Write(head.data(), static_cast<UINT>(head.size()));

        std::vector<char> block(kBlockSize);
        std::string converted;
        while (remaining > 0) {
            const UINT wanted = static_cast<UINT>(std::min<ULONGLONG>(remaining, kBlockSize));
            const UINT count = in.Read(block.data(), wanted);
            if (count == 0)
                break;  // the file ended early
            remaining -= count;
            converted.clear();
            converter.Convert(std::string_view(block.data(), count), converted);
            out.Write(converted.data(), static_cast<UINT>(converted.size()));
            if (host->StepProgress(static_cast<LONG>(count)) < 0) {
                in.Abort();
                out.Abort();
                return E_ABORT;
            }
        }
        converted.clear();
        converter.Finish(converted);
        converted += converter.Tail();
        out.Write(converted.data(), static_cast<UINT>(converted.size()));
        out.Close();
        in.Close();
    } catch (...) {
        in.Abort();
        out.Abort();
        return E_UNEXPECTED;
    }
    return S_OK;
}

#include "sdk/compiler/PageEncoding.h"

#include "platform/base/TextEncoding.h"
#include "sdk/compiler/IntermediateEncoder.h"
#include "sdk/compiler/StyleSheetLink.h"

CPageEncoding::CPageEncoding(const ICompileSite& site)
    : m_outsideItems(site.GetOutsideWorkPaths()),
      m_convertedItems(site.GetConvertedWorkPaths()),
      m_sourceFolder(site.GetSourceFolder()),
      m_workFolder(site.GetWorkFolder()),
      m_styleSheet(site.GetStyleSheetToLink()) {}

BOOL CPageEncoding::Encode(const CString& path, IMarkupStream& stream, IFilterHost* host, LONG* lineOut) const {
    CIntermediateEncoder encoder(host, &m_outsideItems, &m_convertedItems);
    encoder.SetFolders(m_sourceFolder, m_workFolder);
    if (!m_styleSheet.IsEmpty()) {
        const CString link = MakeStyleSheetLink(path, m_styleSheet);
        if (!link.IsEmpty())
            encoder.SetLinkAttributes(leaf::Utf8ToUtf16(link.str()));
    }
    return encoder.EncodeFile(path, &stream, lineOut);
}

#include "outside/litgen/ItemStreams.h"

#include <utility>
#include <vector>

#include "outside/litgen/EBookWriter.h"
#include "outside/litgen/LitGenMessages.h"
#include "platform/base/TextEncoding.h"

namespace {

HRESULT ReturnText(const std::string& text, BSTR* out) {
    if (out == nullptr)
        return E_POINTER;
    *out = leaf::Bstr::FromUtf8(text).Detach();
    return *out ? S_OK : E_OUTOFMEMORY;
}

std::u16string Units(LPCOLESTR text, LONG length) {
    if (text == nullptr || length <= 0)
        return {};
    return std::u16string(text, static_cast<size_t>(length));
}

std::string ItemUrl(const CEBookItem& item) { return item.filePath.empty() ? std::string() : "file://" + item.filePath; }

// What making a page valid changed, each kind that it changed in a clause of its own.
// (Text the markup scanner took for a tag never reaches the writer: nothing is said of it.)
std::string DescribeChanges(const CXhtmlSerializer::Changes& changes) {
    const std::pair<size_t, const char*> clauses[] = {
        {changes.elements, " element(s) were written as a plain div or span or left out"},
        {changes.attributes, " attribute(s) are kept only as data attributes"},
        {changes.links, " link(s) and picture(s) that name nothing in the e-book were turned into text"},
        {changes.characters, " character(s) that XML does not allow were replaced"},
        {changes.styles, " style declaration(s) of direction or unicode-bidi, which EPUB does not allow, were taken "
                         "out with the text direction they set"},
        {changes.styleRules, " style rule(s) that readers of EPUB cannot read were left out"},
        {changes.heldText, " run(s) of text that came as the content of an element that holds none (such as an embed "
                           "left open, after which the rest of a page comes as text) were kept as text, markup in "
                           "them included"},
    };
    std::vector<std::string> said;
    for (const auto& [count, clause] : clauses)
        if (count > 0)
            said.push_back(std::to_string(count) + clause);
    std::string text;
    for (size_t i = 0; i < said.size(); ++i)
        text += (i == 0 ? "" : i + 1 == said.size() ? ", and " : ", ") + said[i];
    return text;
}

HRESULT WrittenAfterEnd(CEBookWriter& writer, const CEBookItem& item) {
    writer.Report(kCompilerError, litgen::kMsgWriteAfterEnd,
                  "The stream of \"" + item.filePath + "\" was written after its end.");
    return E_UNEXPECTED;
}

}  // namespace

// ---------------------------------------------------------------- element

HRESULT CMarkupElement::SetName(LPCOLESTR name, LONG length) {
    if (name == nullptr || length <= 0)
        return E_INVALIDARG;
    m_name = Units(name, length);
    return S_OK;
}

HRESULT CMarkupElement::AddAttribute(LPCOLESTR name, LONG nameLength, LPCOLESTR value, LONG valueLength) {
    if (name == nullptr || nameLength < 0 || valueLength < 0 || (value == nullptr && valueLength > 0))
        return E_INVALIDARG;
    m_attributes.emplace_back(Units(name, nameLength), Units(value, valueLength));
    return S_OK;
}

// ---------------------------------------------------------------- markup stream

CMarkupStream::CMarkupStream(CEBookWriter* writer, std::shared_ptr<CEBookItem> item)
    : m_writer(writer), m_item(std::move(item)) {
    m_item->state = CEBookItem::State::Streaming;
    if (!IsPackage())
        m_page = m_writer->CreatePageSerializer(*m_item);
}

HRESULT CMarkupStream::GetId(BSTR* id) { return ReturnText(m_item->id, id); }
HRESULT CMarkupStream::GetUrl(BSTR* url) { return ReturnText(ItemUrl(*m_item), url); }
HRESULT CMarkupStream::GetMediaType(BSTR* mediaType) { return ReturnText(m_item->mediaType, mediaType); }

HRESULT CMarkupStream::CheckOpen() {
    return m_item->state == CEBookItem::State::Ended ? WrittenAfterEnd(*m_writer, *m_item) : S_OK;
}

HRESULT CMarkupStream::CreateElement(IUnknown** element) {
    if (element == nullptr)
        return E_POINTER;
    *element = nullptr;
    if (HRESULT hr = CheckOpen(); FAILED(hr))
        return hr;
    leaf::ComPtr<CMarkupElement> created(new CMarkupElement());
    *element = static_cast<IMarkupElement*>(created.Detach());
    return S_OK;
}

HRESULT CMarkupStream::StartElement(IMarkupElement* element, BOOL hasContent) {
    if (HRESULT hr = CheckOpen(); FAILED(hr))
        return hr;
    // Only elements this stream created carry their data.
    auto* ours = dynamic_cast<CMarkupElement*>(element);
    if (ours == nullptr || ours->Name().empty())
        return E_INVALIDARG;
    if (IsPackage()) {
        m_manifest.OnStartElement(ours->Name(), ours->Attributes(), hasContent != FALSE);
        if (hasContent)
            ++m_packageDepth;
    } else {
        m_page->StartElement(ours->Name(), ours->Attributes(), hasContent != FALSE);
    }
    return S_OK;
}

HRESULT CMarkupStream::WriteText(LPCOLESTR text, LONG count) {
    if (HRESULT hr = CheckOpen(); FAILED(hr))
        return hr;
    if (count < 0 || (text == nullptr && count > 0))
        return E_INVALIDARG;
    const std::u16string_view units = count > 0 ? std::u16string_view(text, static_cast<size_t>(count)) : std::u16string_view();
    if (IsPackage())
        m_manifest.OnText(units);
    else
        m_page->WriteText(units);
    return S_OK;
}

HRESULT CMarkupStream::EndElement() {
    if (HRESULT hr = CheckOpen(); FAILED(hr))
        return hr;
    const bool ended = IsPackage() ? m_packageDepth > 0 : m_page->EndElement();
    if (!ended) {
        m_writer->Report(kCompilerError, litgen::kMsgStrayEndElement,
                         "The markup of \"" + m_item->filePath + "\" ends an element that was never started.");
        return E_UNEXPECTED;
    }
    if (IsPackage()) {
        --m_packageDepth;
        m_manifest.OnEndElement();
    }
    return S_OK;
}

HRESULT CMarkupStream::WriteComment(LPCOLESTR text, LONG count) {
    if (HRESULT hr = CheckOpen(); FAILED(hr))
        return hr;
    if (count < 0 || (text == nullptr && count > 0))
        return E_INVALIDARG;
    if (!IsPackage())
        m_page->WriteComment(Units(text, count));
    return S_OK;
}

HRESULT CMarkupStream::End() {
    if (m_item->state == CEBookItem::State::Ended) {
        m_writer->Report(kCompilerError, litgen::kMsgEndedTwice,
                         "The stream of \"" + m_item->filePath + "\" was ended twice.");
        return E_UNEXPECTED;
    }
    const size_t open = IsPackage() ? m_packageDepth : m_page->OpenElementCount();
    if (open > 0)
        m_writer->Report(kCompilerWarning, litgen::kMsgUnclosedElements,
                         "The markup of \"" + m_item->filePath + "\" ended with " + std::to_string(open) +
                             " element(s) still open; they were closed.");
    m_item->state = CEBookItem::State::Ended;
    if (IsPackage()) {
        while (m_packageDepth > 0) {
            --m_packageDepth;
            m_manifest.OnEndElement();
        }
        return m_writer->OnPackageEnded(m_manifest);
    }
    FinishPage();
    m_writer->OnItemEnded(*m_item);
    return S_OK;
}

void CMarkupStream::FinishPage() {
    m_item->content = m_page->Finish();
    m_item->title = m_page->Title();
    m_item->scripted = m_page->HasScript();
    m_item->ids = m_page->Ids();
    m_item->fragmentLinks = m_page->FragmentLinks();
    if (m_writer->KeepsLinksOf(*m_item))
        m_item->links = m_page->Links();
    const CXhtmlSerializer::Changes& changes = m_page->GetChanges();
    if (changes.Total() > 0)
        m_writer->Report(kCompilerWarning, litgen::kMsgMadeValid,
                         "The markup of \"" + m_item->href + "\" was not valid XHTML; to make it valid, " +
                             DescribeChanges(changes) + ".");
    m_page.reset();
}

// ---------------------------------------------------------------- style-sheet stream

CCssStream::CCssStream(CEBookWriter* writer, std::shared_ptr<CEBookItem> item)
    : m_writer(writer), m_item(std::move(item)) {
    m_item->state = CEBookItem::State::Streaming;
}

HRESULT CCssStream::GetId(BSTR* id) { return ReturnText(m_item->id, id); }
HRESULT CCssStream::GetUrl(BSTR* url) { return ReturnText(ItemUrl(*m_item), url); }
HRESULT CCssStream::GetMediaType(BSTR* mediaType) { return ReturnText(m_item->mediaType, mediaType); }

HRESULT CCssStream::Write(const char* bytes, LONG length, LONG* written) {
    if (written != nullptr)
        *written = 0;
    if (m_item->state == CEBookItem::State::Ended)
        return WrittenAfterEnd(*m_writer, *m_item);
    if (length < 0 || (bytes == nullptr && length > 0))
        return E_INVALIDARG;
    m_item->content.append(bytes, static_cast<size_t>(length));
    if (written != nullptr)
        *written = length;
    return S_OK;
}

HRESULT CCssStream::End() {
    if (m_item->state == CEBookItem::State::Ended) {
        m_writer->Report(kCompilerError, litgen::kMsgEndedTwice,
                         "The stream of \"" + m_item->filePath + "\" was ended twice.");
        return E_UNEXPECTED;
    }
    m_item->state = CEBookItem::State::Ended;
    m_writer->OnItemEnded(*m_item);
    return S_OK;
}

// ---------------------------------------------------------------- binary stream

CBinaryStream::CBinaryStream(CEBookWriter* writer, std::shared_ptr<CEBookItem> item)
    : m_writer(writer), m_item(std::move(item)) {
    m_item->state = CEBookItem::State::Streaming;
}

CBinaryStream::~CBinaryStream() { m_writer->OnBinaryReleased(*m_item); }

HRESULT CBinaryStream::GetId(BSTR* id) { return ReturnText(m_item->id, id); }
HRESULT CBinaryStream::GetUrl(BSTR* url) { return ReturnText(ItemUrl(*m_item), url); }
HRESULT CBinaryStream::GetMediaType(BSTR* mediaType) { return ReturnText(m_item->mediaType, mediaType); }

HRESULT CBinaryStream::Write(const void* bytes, LONG length, LONG* written) {
    if (written != nullptr)
        *written = 0;
    if (m_item->state == CEBookItem::State::Ended)
        return WrittenAfterEnd(*m_writer, *m_item);
    if (length < 0 || (bytes == nullptr && length > 0))
        return E_INVALIDARG;
    m_item->content.append(static_cast<const char*>(bytes), static_cast<size_t>(length));
    if (written != nullptr)
        *written = length;
    return S_OK;
}

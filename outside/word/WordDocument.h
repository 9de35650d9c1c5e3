#pragma once

// Document: an open document of the stand-in (read-only: nothing is ever written back
// to it). Its bookmarks and properties are read from its package form; SaveAs has the
// office suite write it in another format.

#include <memory>
#include <optional>
#include <string>

#include "outside/word/DocxPackage.h"
#include "outside/word/WordSession.h"
#include "platform/com/DispatchTable.h"

namespace wordstub {

class CWordDocument final : public leaf::DispatchImpl<CWordDocument> {
public:
    // An empty path makes a new blank document.
    CWordDocument(std::weak_ptr<WordSession> session, std::string path);
    static const leaf::DispatchTable<CWordDocument>& GetDispatchTable();

    const std::string& Path() const { return m_path; }

private:
    leaf::Variant Activate(const leaf::DispatchArguments&);
    leaf::Variant Close(const leaf::DispatchArguments&);
    leaf::Variant SaveAs(const leaf::DispatchArguments& arguments);
    leaf::Variant Bookmarks(const leaf::DispatchArguments&);
    leaf::Variant BuiltInDocumentProperties(const leaf::DispatchArguments&);
    leaf::Variant FullName(const leaf::DispatchArguments&);

    void CheckOpen() const;
    // The document's package content, read on first use (converting the document to
    // its package form first when it is in another format).
    const DocxContent& Content();

    std::weak_ptr<WordSession> m_session;
    std::string m_path;
    bool m_closed = false;
    std::optional<DocxContent> m_content;
};

}  // namespace wordstub

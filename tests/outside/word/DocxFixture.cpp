#include "tests/outside/word/DocxFixture.h"

#include <zip.h>

#include <cstring>

namespace leaf::test {

namespace {

std::string Escape(const std::string& text) {
    std::string escaped;
    for (char ch : text) {
        switch (ch) {
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '&': escaped += "&amp;"; break;
        case '"': escaped += "&quot;"; break;
        default: escaped += ch;
        }
    }
    return escaped;
}

const char kPictureRun[] =
    "<w:r><w:drawing><wp:inline distT=\"0\" distB=\"0\" distL=\"0\" distR=\"0\">"
    "<wp:extent cx=\"95250\" cy=\"95250\"/><wp:docPr id=\"1\" name=\"Picture 1\"/>"
    "<a:graphic xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\">"
    "<a:graphicData uri=\"http://schemas.openxmlformats.org/drawingml/2006/picture\">"
    "<pic:pic xmlns:pic=\"http://schemas.openxmlformats.org/drawingml/2006/picture\">"
    "<pic:nvPicPr><pic:cNvPr id=\"1\" name=\"pixel.png\"/><pic:cNvPicPr/></pic:nvPicPr>"
    "<pic:blipFill><a:blip r:%s=\"%s\"/><a:stretch><a:fillRect/></a:stretch></pic:blipFill>"
    "<pic:spPr><a:xfrm><a:off x=\"0\" y=\"0\"/><a:ext cx=\"95250\" cy=\"95250\"/></a:xfrm>"
    "<a:prstGeom prst=\"rect\"><a:avLst/></a:prstGeom></pic:spPr></pic:pic></a:graphicData></a:graphic>"
    "</wp:inline></w:drawing></w:r>";

// A picture run whose picture the document holds ("embed") or links to ("link").
std::string PictureRun(const char* how, const char* relationship) {
    std::string run = kPictureRun;
    std::size_t at = run.find("%s");
    run.replace(at, 2, how);
    at = run.find("%s");
    run.replace(at, 2, relationship);
    return run;
}

bool AddEntry(zip_t* archive, const char* name, const std::string& data) {
    void* copy = std::malloc(data.size() ? data.size() : 1);
    if (copy == nullptr)
        return false;
    std::memcpy(copy, data.data(), data.size());
    zip_source_t* source = zip_source_buffer(archive, copy, data.size(), 1);
    if (source == nullptr) {
        std::free(copy);
        return false;
    }
    if (zip_file_add(archive, name, source, ZIP_FL_OVERWRITE) < 0) {
        zip_source_free(source);
        return false;
    }
    return true;
}

}  // namespace

std::string DocumentXml(const std::vector<DocxParagraph>& paragraphs, bool withPicture, const DocxFixture* extras) {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
        "xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\"><w:body>";
    int id = 0;
    bool first = true;
    for (const DocxParagraph& paragraph : paragraphs) {
        xml += "<w:p><w:pPr><w:tabs><w:tab w:val=\"left\" w:pos=\"720\"/></w:tabs></w:pPr>";
        int firstId = id;
        for (const std::string& name : paragraph.bookmarks)
            xml += "<w:bookmarkStart w:id=\"" + std::to_string(id++) + "\" w:name=\"" + Escape(name) + "\"/>";
        for (int i = firstId; i < id; ++i)
            xml += "<w:bookmarkEnd w:id=\"" + std::to_string(i) + "\"/>";
        if (withPicture && first)
            xml += PictureRun("embed", "rIdPicture");
        if (extras != nullptr && first && !extras->linkedPicture.empty())
            xml += PictureRun("link", "rIdLinkedPicture");
        xml += "<w:r><w:t xml:space=\"preserve\">" + Escape(paragraph.text) + "</w:t></w:r>";
        if (extras != nullptr && first)
            for (std::size_t i = 0; i < extras->hyperlinks.size(); ++i)
                xml += "<w:hyperlink r:id=\"rIdLink" + std::to_string(i + 1) + "\"><w:r><w:t xml:space=\"preserve\"> link " +
                       std::to_string(i + 1) + "</w:t></w:r></w:hyperlink>";
        first = false;
        xml += "</w:p>";
    }
    xml += "<w:sectPr/></w:body></w:document>";
    return xml;
}

bool DocxFixture::Write(const std::string& path) const {
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (archive == nullptr)
        return false;
    std::string contentTypes =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
        "<Default Extension=\"png\" ContentType=\"image/png\"/>"
        "<Override PartName=\"/word/document.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
        "<Override PartName=\"/word/styles.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml\"/>"
        "<Override PartName=\"/docProps/core.xml\" "
        "ContentType=\"application/vnd.openxmlformats-package.core-properties+xml\"/></Types>";
    std::string rels =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
        "Target=\"word/document.xml\"/>"
        "<Relationship Id=\"rId2\" "
        "Type=\"http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties\" "
        "Target=\"docProps/core.xml\"/></Relationships>";
    const std::string imageType = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/image";
    std::string documentRels =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    if (withPicture)
        documentRels += "<Relationship Id=\"rIdPicture\" Type=\"" + imageType + "\" Target=\"media/pixel.png\"/>";
    if (directionInStyles)
        documentRels += "<Relationship Id=\"rIdStyles\" "
                        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
                        "Target=\"styles.xml\"/>";
    const std::string styles =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<w:styles xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
        "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name w:val=\"Normal\"/>"
        "<w:pPr><w:bidi w:val=\"0\"/></w:pPr></w:style></w:styles>";
    if (!linkedPicture.empty())
        documentRels += "<Relationship Id=\"rIdLinkedPicture\" Type=\"" + imageType + "\" Target=\"" +
                        Escape(linkedPicture) + "\" TargetMode=\"External\"/>";
    for (std::size_t i = 0; i < hyperlinks.size(); ++i)
        documentRels += "<Relationship Id=\"rIdLink" + std::to_string(i + 1) +
                        "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/hyperlink\" "
                        "Target=\"" +
                        Escape(hyperlinks[i]) + "\" TargetMode=\"External\"/>";
    documentRels += "</Relationships>";
    std::string core =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<cp:coreProperties "
        "xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
        "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" xmlns:dcterms=\"http://purl.org/dc/terms/\" "
        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">";
    if (!title.empty())
        core += "<dc:title>" + Escape(title) + "</dc:title>";
    if (!author.empty())
        core += "<dc:creator>" + Escape(author) + "</dc:creator>";
    if (!created.empty())
        core += "<dcterms:created xsi:type=\"dcterms:W3CDTF\">" + created + "</dcterms:created>";
    core += "</cp:coreProperties>";

    bool written = AddEntry(archive, "[Content_Types].xml", contentTypes) && AddEntry(archive, "_rels/.rels", rels) &&
                   AddEntry(archive, "word/document.xml", DocumentXml(paragraphs, withPicture, this)) &&
                   AddEntry(archive, "docProps/core.xml", core);
    if (written && (withPicture || !linkedPicture.empty() || !hyperlinks.empty() || directionInStyles))
        written = AddEntry(archive, "word/_rels/document.xml.rels", documentRels);
    if (written && directionInStyles)
        written = AddEntry(archive, "word/styles.xml", styles);
    if (written && withPicture)
        written = AddEntry(archive, "word/media/pixel.png", OnePixelPng());
    if (!written) {
        zip_discard(archive);
        return false;
    }
    return zip_close(archive) == 0;
}

}  // namespace leaf::test

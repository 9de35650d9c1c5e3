#include "outside/litgen/EpubNavigation.h"

#include <map>

#include "outside/litgen/XmlText.h"

namespace litgen {

std::string MakeNavigationDocument(const std::string& bookTitle, const std::string& language,
                                   const std::vector<NavigationEntry>& entries, const std::vector<Landmark>& landmarks) {
    const std::string lang = EscapeXmlAttribute(language);
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE html>\n"
                      "<html xmlns=\"http://www.w3.org/1999/xhtml\" xmlns:epub=\"http://www.idpf.org/2007/ops\" lang=\"" +
                      lang + "\" xml:lang=\"" + lang + "\">\n<head>\n<title>" + EscapeXmlText(bookTitle) +
                      "</title>\n</head>\n<body>\n<nav epub:type=\"toc\" id=\"toc\">\n<h1>" + EscapeXmlText(bookTitle) +
                      "</h1>\n<ol>\n";
    for (const NavigationEntry& entry : entries)
        xml += "<li><a href=\"" + EscapeXmlAttribute(entry.href) + "\">" + EscapeXmlText(entry.title) + "</a></li>\n";
    xml += "</ol>\n</nav>\n";
    if (!landmarks.empty()) {
        xml += "<nav epub:type=\"landmarks\" id=\"landmarks\" hidden=\"hidden\">\n<ol>\n";
        for (const Landmark& landmark : landmarks)
            xml += "<li><a epub:type=\"" + EscapeXmlAttribute(landmark.type) + "\" href=\"" +
                   EscapeXmlAttribute(landmark.href) + "\">" + EscapeXmlText(landmark.title) + "</a></li>\n";
        xml += "</ol>\n</nav>\n";
    }
    xml += "</body>\n</html>\n";
    return xml;
}

std::string MakeNcx(const std::string& bookTitle, const std::string& uniqueIdentifier,
                    const std::vector<NavigationEntry>& entries) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<ncx xmlns=\"http://www.daisy.org/z3986/2005/ncx/\" version=\"2005-1\">\n<head>\n"
                      "<meta name=\"dtb:uid\" content=\"" +
                      EscapeXmlAttribute(uniqueIdentifier) +
                      "\" />\n<meta name=\"dtb:depth\" content=\"1\" />\n"
                      "<meta name=\"dtb:totalPageCount\" content=\"0\" />\n"
                      "<meta name=\"dtb:maxPageNumber\" content=\"0\" />\n</head>\n<docTitle><text>" +
                      EscapeXmlText(bookTitle) + "</text></docTitle>\n<navMap>\n";
    // Entries that open the same place share its play order: the order is that of the
    // distinct places, as they first appear.
    std::map<std::string, int> placeOrder;
    int point = 0;
    for (const NavigationEntry& entry : entries) {
        ++point;
        const int order = placeOrder.emplace(entry.href, static_cast<int>(placeOrder.size()) + 1).first->second;
        xml += "<navPoint id=\"navpoint-" + std::to_string(point) + "\" playOrder=\"" + std::to_string(order) +
               "\"><navLabel><text>" + EscapeXmlText(entry.title) + "</text></navLabel><content src=\"" +
               EscapeXmlAttribute(entry.href) + "\" /></navPoint>\n";
    }
    xml += "</navMap>\n</ncx>\n";
    return xml;
}

}  // namespace litgen

// Phase 3 of CHtmlConverter: the destination document is written from the temporary file,
// with every placeholder replaced by the balanced tags of its group.


#include <algorithm>
#include <cerrno>
#include <string>

#include "filters/html/converter/CharsetDeclaration.h"
#include "filters/html/converter/HtmlConverter.h"
#include "filters/html/converter/TextScan.h"
#include "markup/MarkupTables.h"
#include "platform/base/File.h"
#include "platform/base/FileKind.h"

namespace {

constexpr std::string_view kPlaceholderPrefix = "<tag_group0x";
constexpr size_t kPlaceholderLength = 21;  // the prefix, eight hexadecimal digits and '>'
constexpr size_t kWriteChunk = 1 << 16;

constexpr const char* kOebPrologue =
    "<?xml version=\"1.0\"?>\n"
    "<!DOCTYPE html PUBLIC\n"
    "\t\"+//ISBN 0-9673008-1-9//DTD OEB 1.0.1 Document//EN\"\n"
    "\t\"http://openebook.org/dtds/oeb-1.0.1/oebdoc101.dtd\">\n"
    "\n";

bool ParseHexNumber(std::string_view digits, size_t& number) {
    number = 0;
    for (char ch : digits) {
        int value;
        if (ch >= '0' && ch <= '9') {
            value = ch - '0';
        } else if (ch >= 'A' && ch <= 'F') {
            value = ch - 'A' + 10;
        } else if (ch >= 'a' && ch <= 'f') {
            value = ch - 'a' + 10;
        } else {
            return false;
        }
        number = number * 16 + static_cast<size_t>(value);
    }
    return true;
}

// An XML declaration as XML writes it: its pseudo-attributes (version first, which it
// must have) and "?>"; anything that is no plain name and value is left out.
void WriteXmlDeclaration(const CTagNode& node, std::string& out) {
    std::string items;
    bool hasVersion = false;
    for (const CString& item : node.attributes) {
        const std::string& text = item.str();
        const size_t equals = text.find('=');
        if (equals == std::string::npos) continue;
        const std::string name = leaf::ToLowerAscii(std::string_view(text).substr(0, equals));
        std::string_view value = std::string_view(text).substr(equals + 1);
        if (!value.empty() && value.back() == '?') value.remove_suffix(1);
        const bool plain = !value.empty() && value.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                                                    "0123456789._-") == std::string_view::npos;
        if (!plain || (name != "version" && name != "encoding" && name != "standalone")) continue;
        if (name == "version") {
            if (hasVersion) continue;
            hasVersion = true;
            items.insert(0, " version=\"" + std::string(value) + "\"");
            continue;
        }
        items += ' ' + name + "=\"" + std::string(value) + "\"";
    }
    out += "<?xml";
    if (!hasVersion) out += " version=\"1.0\"";
    out += items;
    out += "?>";
}

// Whether a word standing without a value in a tag names an attribute: a letter first,
// then letters, digits, '-', '_', ':' and '.'.
bool IsBareAttributeName(std::string_view word) {
    return !word.empty() && leaf::html::IsAsciiLetter(word.front()) &&
           std::all_of(word.begin(), word.end(), [](char ch) {
               return leaf::html::IsAsciiAlnum(ch) || ch == '-' || ch == '_' || ch == ':' || ch == '.';
           });
}

}  // namespace

void CHtmlConverter::WriteTag(const CTagNode& node, std::string& out) {
    if (!node.endTag && node.name.str() == "?xml") {
        WriteXmlDeclaration(node, out);
        return;
    }
    out += '<';
    if (node.endTag) out += '/';
    out += node.name.str();
    // An end tag is written bare: attributes or the empty-element slash on it ("</p a=\"b\">",
    // "</br />") would not read back as an end tag.
    if (!node.endTag) {
        for (const CString& item : node.attributes) {
            const std::string& text = item.str();
            // An attribute written without a value ("checked", "nowrap") has the empty
            // value, as HTML reads it; it is written with that value, which XML needs. A
            // word without a value that is no attribute name (a stray "/") is left out.
            const size_t equals = text.find('=');
            const std::string_view name = std::string_view(text).substr(0, equals);
            if (name.empty() || (equals == std::string::npos && !IsBareAttributeName(name))) continue;
            // A name that came from quoted text can hold white space or a quote; written out,
            // it would read back as other attributes (a lone "/" among them closing the
            // element). No reader takes it for an attribute: it is left out.
            if (name.find_first_of(" \t\n\v\f\r\"'") != std::string_view::npos) continue;
            out += ' ';
            out += leaf::ToLowerAscii(name);
            out += "=\"";
            for (size_t i = name.size() + 1; i < text.size(); ++i) {
                // A '<' or '>' inside a value would end the tag, or start another, when the
                // document is read again: they are written as references.
                if (text[i] == '<') {
                    out += "&lt;";
                    continue;
                }
                if (text[i] == '>') {
                    out += "&gt;";
                    continue;
                }
                // A value ending in '=' would take the next attribute as its own when read.
                if (text[i] == '=' && i + 1 == text.size()) {
                    out += "&#61;";
                    continue;
                }
                // Read again, a backslash before the closing quote would escape it and
                // carry the value on into the rest of the tag.
                if (text[i] == '\\' && i + 1 == text.size()) {
                    out += "&#92;";
                    continue;
                }
                if (text[i] == '"') out += '\\';
                out += text[i];
            }
            out += '"';
        }
        if ((node.flags & leaf::markup::kTagEmpty) && !(node.flags & leaf::markup::kTagOptionalEnd)) {
            if (leaf::markup::IsRawContentTag(node.name.str())) {
                // "<title />" would open raw text that nothing closes when read back.
                out += "></";
                out += node.name.str();
            } else {
                out += " /";
            }
        }
    }
    out += '>';
}

BOOL CHtmlConverter::WriteLine(std::string_view line, std::string& out, LONGLONG& units) {
    units = 0;
    size_t i = 0;
    while (i < line.size()) {
        const size_t lt = line.find('<', i);
        if (lt == std::string_view::npos) {
            out.append(line.substr(i));
            units += static_cast<LONGLONG>(line.size() - i);
            break;
        }
        out.append(line.substr(i, lt - i));
        units += static_cast<LONGLONG>(lt - i);
        if (lt + 1 < line.size() && line[lt + 1] == '<') {  // a '<' of the text
            out += '<';
            units += 1;
            i = lt + 2;
            continue;
        }
        size_t number = 0;
        if (line.substr(lt, kPlaceholderPrefix.size()) != kPlaceholderPrefix || lt + kPlaceholderLength > line.size() ||
            line[lt + kPlaceholderLength - 1] != '>' ||
            !ParseHexNumber(line.substr(lt + kPlaceholderPrefix.size(), 8), number) || number >= m_groups.size()) {
            return FALSE;  // a damaged placeholder
        }
        const CTagGroup& group = m_groups[number];
        for (const auto& node : group.nodes) {
            if (!node) return FALSE;
            WriteTag(*node, out);
        }
        units += group.sourceLength;
        i = lt + kPlaceholderLength;
    }
    return TRUE;
}

CString CHtmlConverter::DestinationErrorText(int error) const {
    // A name that is no file's cannot be freed by freeing disk space: it is named.
    if (error != leaf::kNotRegularFileError && error != EISDIR)
        return kErrorDiskSpace;
    CString text;
    text.Format("Unable to write the converted document \"%s\": %s.", m_destinationPath.c_str(),
                error == EISDIR ? "it is a folder" : "it is not a regular file");
    return text;
}

BOOL CHtmlConverter::WriteDestination() {
    // The destination appears only when it is complete, and replaces nothing but a file:
    // it is written to a temporary file and put in place at the end. It is not synced to
    // the disk: the destination is a file of the build's work folder, which lives only as
    // long as the build, and a sync per page made syncing the largest part of a book's
    // conversion.
    leaf::AtomicFile destination(leaf::AtomicFile::Durability::Unsynced);
    if (!destination.Open(m_destinationPath.str())) {
        m_errorText = DestinationErrorText(destination.LastError());
        return FALSE;
    }
    CStdioFile temp;
    if (!temp.Open(m_tempPath.c_str(), CFile::modeRead | CFile::typeText)) {
        m_errorText = kErrorGeneric;
        return FALSE;
    }
    m_progressMark = 0;

    std::string out;
    // The document is written in UTF-8, as its declarations say: bytes of the source that
    // are no UTF-8 become the Windows-1252 characters they stand for. Pieces end at line
    // ends, which never fall inside a sequence.
    auto flush = [&]() {
        out = leaf::html::AsValidUtf8(std::move(out));
        if (!destination.Write(out)) throw CFileException(CFileException::diskFull);
        out.clear();
    };
    try {
        if (m_forceOeb) out += kOebPrologue;
        CString line;
        while (temp.ReadString(line)) {
            LONGLONG units = 0;
            if (!WriteLine(line.str(), out, units)) {
                temp.Abort();
                return FALSE;
            }
            if (m_progress) {
                m_progressMark += units;
                if (!ReportProgress(units)) {
                    temp.Abort();
                    return FALSE;
                }
            }
            out += '\n';
            if (out.size() >= kWriteChunk) flush();
        }
        for (auto open = m_openElements.rbegin(); open != m_openElements.rend(); ++open) {
            out += "\n</";
            out += (*open)->name.str();
            out += '>';
        }
        flush();
    } catch (const CFileException& error) {
        // A full disk is named as such, so the user knows what to free; other failures
        // while writing get the general text.
        m_errorText = error.m_cause == CFileException::diskFull ? kErrorDiskSpace : kErrorGeneric;
        temp.Abort();
        return FALSE;
    } catch (...) {
        m_errorText = kErrorGeneric;
        temp.Abort();
        return FALSE;
    }
    temp.Abort();
    if (!destination.Commit()) {
        m_errorText = DestinationErrorText(destination.LastError());
        return FALSE;
    }
    if (m_progress) {
        CFileStatus status;
        if (CFile::GetStatus(m_sourcePath.c_str(), status)) {
            const LONGLONG rest = static_cast<LONGLONG>(status.m_size) - m_progressMark;
            if (rest > 0 && !ReportProgress(rest)) return FALSE;
        }
    }
    return TRUE;
}

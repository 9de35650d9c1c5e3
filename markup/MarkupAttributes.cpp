#include "markup/MarkupAttributes.h"

namespace leaf::markup {
namespace {

template <typename Ch>
bool IsAttributeSpace(Ch ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}

template <typename Ch>
bool EqualsHref(std::basic_string_view<Ch> name) {
    static constexpr char kHref[] = "href";
    if (name.size() != 4) {
        return false;
    }
    for (size_t i = 0; i < 4; ++i) {
        Ch ch = name[i];
        if (ch >= 'A' && ch <= 'Z') {
            ch = static_cast<Ch>(ch + ('a' - 'A'));
        }
        if (ch != static_cast<Ch>(kHref[i])) {
            return false;
        }
    }
    return true;
}

// A token before joining. A quoted empty value ("") is kept as an empty token marked
// emptyValue, so that it stands as a token of its own while tokens are joined.
template <typename Ch>
struct Piece {
    std::basic_string<Ch> text;
    bool emptyValue = false;

    bool EndsWithEquals() const { return !emptyValue && !text.empty() && text.back() == '='; }
    bool BeginsWithEquals() const { return !text.empty() && text.front() == '='; }
};

// The attribute whose quoted value is being read: the last token less a trailing '=',
// else the token before it.
template <typename Ch>
bool ValueBelongsToHref(const std::vector<Piece<Ch>>& pieces) {
    if (pieces.empty()) {
        return false;
    }
    const Piece<Ch>& last = pieces.back();
    if (last.emptyValue) {
        return false;
    }
    std::basic_string_view<Ch> name = last.text;
    if (!name.empty() && name.back() == '=') {
        name.remove_suffix(1);
    }
    if (name.empty()) {
        if (pieces.size() < 2 || pieces[pieces.size() - 2].emptyValue) {
            return false;
        }
        name = pieces[pieces.size() - 2].text;
    }
    return EqualsHref(name);
}

}  // namespace

template <typename Ch>
void SplitAttributes(std::basic_string_view<Ch> text, std::vector<std::basic_string<Ch>>& out) {
    out.clear();
    std::vector<Piece<Ch>> pieces;
    std::basic_string<Ch> current;
    bool inDouble = false;
    bool inSingle = false;
    auto flush = [&] {
        if (!current.empty()) {
            pieces.push_back({std::move(current), false});
            current.clear();
        }
    };
    for (Ch ch : text) {
        if (IsAttributeSpace(ch) && !inDouble && !inSingle) {
            flush();
            continue;
        }
        if (ch == '"' || ch == '\'') {
            bool& own = ch == '"' ? inDouble : inSingle;
            const bool other = ch == '"' ? inSingle : inDouble;
            if (other) {
                current.push_back(ch);
                continue;
            }
            if (!own) {
                flush();
                own = true;
                continue;
            }
            if (!current.empty() && current.back() == '\\' && !ValueBelongsToHref(pieces)) {
                current.back() = ch;  // an escaped quote: part of the value
                continue;
            }
            if (current.empty()) {
                pieces.push_back({{}, true});
            } else {
                flush();
            }
            own = false;
            continue;
        }
        current.push_back(ch);
    }
    flush();

    // Join "name" "=" "value" (and "name=" "value", "name" "=value") into one token.
    std::vector<Piece<Ch>> joined;
    joined.reserve(pieces.size());
    for (Piece<Ch>& piece : pieces) {
        if (!joined.empty() && (joined.back().EndsWithEquals() || piece.BeginsWithEquals())) {
            joined.back().text += piece.text;
            joined.back().emptyValue = piece.emptyValue;
        } else {
            joined.push_back(std::move(piece));
        }
    }
    out.reserve(joined.size());
    for (Piece<Ch>& piece : joined) {
        out.push_back(std::move(piece.text));
    }
}

template <typename Ch>
void FoldPath(std::basic_string<Ch>& path) {
    using View = std::basic_string_view<Ch>;
    for (Ch& ch : path) {
        if (ch == '\\') {
            ch = '/';
        }
    }
    if (path.find(Ch('/')) == std::basic_string<Ch>::npos) {
        return;
    }
    std::vector<View> components;
    const View whole = path;
    size_t start = 0;
    for (;;) {
        const size_t slash = whole.find(Ch('/'), start);
        if (slash == View::npos) {
            components.push_back(whole.substr(start));
            break;
        }
        components.push_back(whole.substr(start, slash - start));
        start = slash + 1;
    }
    const auto isDots = [](View component, size_t count) {
        if (component.size() != count) {
            return false;
        }
        for (Ch ch : component) {
            if (ch != '.') {
                return false;
            }
        }
        return true;
    };

    // "/../" between two slashes drops the component before it, unless that component is
    // the first one: then folding stops and the rest stays as written.
    std::vector<View> folded;
    folded.reserve(components.size());
    bool stopped = false;
    const size_t last = components.size() - 1;
    for (size_t k = 0; k < components.size(); ++k) {
        if (!stopped && k >= 1 && k < last && isDots(components[k], 2)) {
            if (folded.size() >= 2) {
                folded.pop_back();
                continue;
            }
            stopped = true;
        }
        folded.push_back(components[k]);
    }
    // "/./" becomes "/".
    std::basic_string<Ch> result;
    result.reserve(path.size());
    for (size_t k = 0; k < folded.size(); ++k) {
        if (k >= 1 && k + 1 < folded.size() && isDots(folded[k], 1)) {
            continue;
        }
        if (k > 0) {
            result.push_back('/');
        }
        result.append(folded[k]);
    }
    path = std::move(result);
}

template void SplitAttributes<char>(std::string_view, std::vector<std::string>&);
template void SplitAttributes<char16_t>(std::u16string_view, std::vector<std::u16string>&);
template void FoldPath<char>(std::string&);
template void FoldPath<char16_t>(std::u16string&);

}  // namespace leaf::markup

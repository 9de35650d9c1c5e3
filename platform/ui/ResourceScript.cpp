#include "platform/ui/ResourceScript.h"

#include <algorithm>
#include <charconv>

namespace leaf::ui {

namespace {

// Deeper nesting than any template needs is refused rather than recursed into.
constexpr int kMaxDepth = 32;

bool IsBlockKeyword(std::string_view kind) {
    static constexpr std::string_view kBlocks[] = {"dialog", "menu", "popup", "row", "column",
                                                   "groupbox", "strings", "accelerators", "toolbar"};
    return std::find(std::begin(kBlocks), std::end(kBlocks), kind) != std::end(kBlocks);
}

bool ParseInt(std::string_view token, int& value) {
    if (token.empty()) return false;
    const char* first = token.data();
    const char* last = token.data() + token.size();
    int base = 10;
    bool negative = false;
    if (*first == '-') { negative = true; ++first; }
    if (last - first > 2 && first[0] == '0' && (first[1] == 'x' || first[1] == 'X')) { base = 16; first += 2; }
    long long parsed = 0;
    auto [end, ec] = std::from_chars(first, last, parsed, base);
    if (ec != std::errc() || end != last) return false;
    if (negative) parsed = -parsed;
    if (parsed < -2147483648LL || parsed > 4294967295LL) return false;
    value = static_cast<int>(static_cast<long long>(static_cast<std::int32_t>(parsed)));
    return true;
}

struct Token {
    enum Kind { Word, String } kind;
    std::string text;
};

// Splits one line into tokens; false on an unterminated string or a bad escape.
bool Tokenize(std::string_view line, std::vector<Token>& tokens, std::string& problem) {
    size_t i = 0;
    while (i < line.size()) {
        char ch = line[i];
        if (ch == ' ' || ch == '\t' || ch == '\r') { ++i; continue; }
        if (ch == '#') break;
        if (ch == '"') {
            std::string text;
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char c = line[i++];
                if (c == '"') { closed = true; break; }
                if (c == '\\') {
                    if (i >= line.size()) break;
                    char e = line[i++];
                    switch (e) {
                        case 'n': text += '\n'; break;
                        case 't': text += '\t'; break;
                        case '"': text += '"'; break;
                        case '\\': text += '\\'; break;
                        default: problem = "unknown escape \\" + std::string(1, e); return false;
                    }
                } else {
                    text += c;
                }
            }
            if (!closed) { problem = "unterminated string"; return false; }
            tokens.push_back({Token::String, std::move(text)});
            continue;
        }
        size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' && line[i] != '"' &&
               line[i] != '#')
            ++i;
        tokens.push_back({Token::Word, std::string(line.substr(start, i - start))});
    }
    return true;
}

bool BuildNode(const std::vector<Token>& tokens, int lineNumber, ResourceNode& node, std::string& problem) {
    node.line = lineNumber;
    size_t first = 0;
    int number = 0;
    if (tokens[0].kind == Token::Word && !ParseInt(tokens[0].text, number)) {
        node.kind = tokens[0].text;
        first = 1;
    }
    for (size_t t = first; t < tokens.size(); ++t) {
        const Token& token = tokens[t];
        if (token.kind == Token::String) {
            if (node.hasText) { problem = "more than one text"; return false; }
            node.text = token.text;
            node.hasText = true;
        } else if (ParseInt(token.text, number)) {
            if (node.hasId) { problem = "more than one id"; return false; }
            node.id = number;
            node.hasId = true;
        } else if (auto eq = token.text.find('='); eq != std::string::npos) {
            if (eq == 0) { problem = "option without a name"; return false; }
            node.options[token.text.substr(0, eq)] = token.text.substr(eq + 1);
        } else {
            node.flags.push_back(token.text);
        }
    }
    return true;
}

}  // namespace

bool ResourceNode::HasFlag(std::string_view flag) const {
    return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

std::string ResourceNode::Option(std::string_view name, std::string_view fallback) const {
    auto it = options.find(std::string(name));
    return it == options.end() ? std::string(fallback) : it->second;
}

int ResourceNode::IntOption(std::string_view name, int fallback) const {
    auto it = options.find(std::string(name));
    int value = 0;
    return it != options.end() && ParseInt(it->second, value) ? value : fallback;
}

std::optional<std::vector<ResourceNode>> ParseResourceScript(std::string_view text, ResourceScriptError* error) {
    std::vector<ResourceNode> top;
    std::vector<ResourceNode*> open;   // the blocks not yet closed, innermost last
    int lineNumber = 0;
    auto fail = [&](std::string message) -> std::optional<std::vector<ResourceNode>> {
        if (error) *error = {lineNumber, std::move(message)};
        return std::nullopt;
    };
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNumber;

        std::vector<Token> tokens;
        std::string problem;
        if (!Tokenize(line, tokens, problem)) return fail(problem);
        if (tokens.empty()) {
            if (end == text.size()) break;
            continue;
        }
        if (tokens.size() == 1 && tokens[0].kind == Token::Word && tokens[0].text == "end") {
            if (open.empty()) return fail("\"end\" without a block");
            open.pop_back();
            continue;
        }
        ResourceNode node;
        if (!BuildNode(tokens, lineNumber, node, problem)) return fail(problem);
        if (open.empty() && !IsBlockKeyword(node.kind)) return fail("a line outside any block");
        std::vector<ResourceNode>& siblings = open.empty() ? top : open.back()->children;
        siblings.push_back(std::move(node));
        if (IsBlockKeyword(siblings.back().kind)) {
            if (static_cast<int>(open.size()) >= kMaxDepth) return fail("blocks nested too deeply");
            open.push_back(&siblings.back());
        }
        if (end == text.size()) break;
    }
    if (!open.empty()) {
        lineNumber = open.back()->line;
        return fail("block \"" + open.back()->kind + "\" is not closed");
    }
    return top;
}

}  // namespace leaf::ui

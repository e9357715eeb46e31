// SPDX-License-Identifier: MIT
#include "locations/key_values.h"

#include "common/ascii.h"

namespace brambleton::keyvalues {
namespace {

constexpr int kMaxDepth = 64;

enum class Kind { Text, Open, Close, Condition, End, Bad };

struct Token {
    Kind kind = Kind::End;
    std::string text;
};

class Lexer {
  public:
    explicit Lexer(std::string_view text) : text_(text) {}

    Token next() {
        skipBlanks();
        if (at_ >= text_.size()) return {Kind::End, {}};
        const char c = text_[at_];
        if (c == '{') return ++at_, Token{Kind::Open, {}};
        if (c == '}') return ++at_, Token{Kind::Close, {}};
        if (c == '\0') return {Kind::Bad, {}};
        if (c == '[') {
            const auto end = text_.find(']', at_);
            if (end == std::string_view::npos) return {Kind::Bad, {}};
            at_ = end + 1;
            return {Kind::Condition, {}};
        }
        if (c == '"') return quoted();
        const std::size_t start = at_;
        while (at_ < text_.size() && !isBlank(text_[at_]) && text_[at_] != '"' &&
               text_[at_] != '{' && text_[at_] != '}' && text_[at_] != '\0') {
            ++at_;
        }
        return {Kind::Text, std::string(text_.substr(start, at_ - start))};
    }

  private:
    static bool isBlank(char c) noexcept {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
    }

    void skipBlanks() {
        for (;;) {
            while (at_ < text_.size() && isBlank(text_[at_])) ++at_;
            if (text_.substr(at_, 2) != "//") return;
            const auto end = text_.find('\n', at_);
            at_ = end == std::string_view::npos ? text_.size() : end + 1;
        }
    }

    Token quoted() {
        std::string out;
        for (++at_; at_ < text_.size(); ++at_) {
            const char c = text_[at_];
            if (c == '\0') return {Kind::Bad, {}};
            if (c == '"') {
                ++at_;
                return {Kind::Text, std::move(out)};
            }
            if (c == '\\' && at_ + 1 < text_.size()) {
                const char e = text_[++at_];
                out += e == 'n' ? '\n' : e == 't' ? '\t' : e;
                continue;
            }
            out += c;
        }
        return {Kind::Bad, {}};
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

// Reads entries into `into` until its closing brace (or the end, at the top level).
bool readBlock(Lexer& lexer, Node& into, int depth) {
    Token token = lexer.next();
    for (;;) {
        if (token.kind == Kind::End) return depth == 0;
        if (token.kind == Kind::Close) return depth > 0;
        if (token.kind != Kind::Text) return false;
        Node entry;
        entry.key = std::move(token.text);
        Token value = lexer.next();
        if (value.kind == Kind::Condition) value = lexer.next();
        if (value.kind == Kind::Open) {
            if (depth + 1 > kMaxDepth) return false;
            entry.block = true;
            if (!readBlock(lexer, entry, depth + 1)) return false;
        } else if (value.kind == Kind::Text) {
            entry.value = std::move(value.text);
        } else {
            return false;
        }
        into.children.push_back(std::move(entry));
        token = lexer.next();
        if (token.kind == Kind::Condition) token = lexer.next();
    }
}

}  // namespace

const Node* Node::find(std::string_view name) const noexcept {
    for (const auto& child : children) {
        if (ascii::equalNoCase(child.key, name)) return &child;
    }
    return nullptr;
}

std::string Node::text(std::string_view name) const {
    const Node* found = find(name);
    return found && !found->block ? found->value : std::string();
}

std::optional<Node> parse(std::string_view text) {
    Lexer lexer(text);
    Node root;
    root.block = true;
    if (!readBlock(lexer, root, 0)) return std::nullopt;
    return root;
}

}  // namespace brambleton::keyvalues

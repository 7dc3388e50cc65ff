#include "InterfaceTextCollector.hpp"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <stdexcept>

namespace kelvane::testing {
namespace fs = std::filesystem;

namespace {

struct Token {
    enum class Kind { identifier, text, punctuation };
    Kind kind;
    std::string value;
};

bool isIdentifierStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '_';
}

bool isIdentifierPart(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

// Splits C++ source into identifiers, string literals (decoded, adjacent ones joined)
// and single punctuation characters. Numbers and character literals are dropped:
// the pair search needs neither.
class Tokenizer final {
public:
    explicit Tokenizer(std::string_view text) : text_(text) {}

    std::vector<Token> tokens() {
        std::vector<Token> result;
        while (position_ < text_.size()) {
            const char c = text_[position_];
            if (std::isspace(static_cast<unsigned char>(c)) != 0) {
                ++position_;
            } else if (startsWith("//")) {
                const std::size_t end = text_.find('\n', position_);
                position_ = end == std::string_view::npos ? text_.size() : end;
            } else if (startsWith("/*")) {
                const std::size_t end = text_.find("*/", position_ + 2);
                position_ = end == std::string_view::npos ? text_.size() : end + 2;
            } else if (c == '"') {
                appendText(result, quoted());
            } else if (c == '\'') {
                skipCharacterLiteral();
            } else if (std::isdigit(static_cast<unsigned char>(c)) != 0) {
                // Digit separators (1'000) and suffixes belong to the number.
                while (position_ < text_.size() &&
                       (isIdentifierPart(text_[position_]) || text_[position_] == '\'' ||
                        text_[position_] == '.')) {
                    ++position_;
                }
            } else if (isIdentifierStart(c)) {
                const std::size_t start = position_;
                while (position_ < text_.size() && isIdentifierPart(text_[position_])) ++position_;
                const std::string_view word = text_.substr(start, position_ - start);
                const bool quoteFollows = position_ < text_.size() && text_[position_] == '"';
                if (quoteFollows && isRawPrefix(word)) {
                    appendText(result, raw());
                } else if (quoteFollows && isEncodingPrefix(word)) {
                    appendText(result, quoted());
                } else {
                    result.push_back({Token::Kind::identifier, std::string(word)});
                }
            } else {
                result.push_back({Token::Kind::punctuation, std::string(1, c)});
                ++position_;
            }
        }
        return result;
    }

private:
    static bool isEncodingPrefix(std::string_view word) {
        return word == "u8" || word == "u" || word == "U" || word == "L";
    }
    static bool isRawPrefix(std::string_view word) {
        return word == "R" || word == "u8R" || word == "uR" || word == "UR" || word == "LR";
    }

    static void appendText(std::vector<Token>& tokens, std::string text) {
        if (!tokens.empty() && tokens.back().kind == Token::Kind::text) {
            tokens.back().value += text;
        } else {
            tokens.push_back({Token::Kind::text, std::move(text)});
        }
    }

    [[nodiscard]] bool startsWith(std::string_view prefix) const {
        return text_.substr(position_, prefix.size()) == prefix;
    }

    // An ordinary literal starting at the opening quote, with its escapes decoded.
    std::string quoted() {
        std::string value;
        ++position_;
        while (position_ < text_.size() && text_[position_] != '"') {
            char c = text_[position_++];
            if (c == '\\' && position_ < text_.size()) {
                const char escaped = text_[position_++];
                switch (escaped) {
                    case 'n':
                        c = '\n';
                        break;
                    case 't':
                        c = '\t';
                        break;
                    case 'r':
                        c = '\r';
                        break;
                    case '0':
                        c = '\0';
                        break;
                    default:
                        c = escaped;
                        break;
                }
            }
            value += c;
        }
        ++position_;
        return value;
    }

    // R"delimiter( ... )delimiter", starting at the opening quote.
    std::string raw() {
        const std::size_t open = text_.find('(', position_);
        if (open == std::string_view::npos) throw std::runtime_error("unterminated raw literal");
        const std::string closing =
            ")" + std::string(text_.substr(position_ + 1, open - position_ - 1)) + "\"";
        const std::size_t close = text_.find(closing, open + 1);
        if (close == std::string_view::npos) throw std::runtime_error("unterminated raw literal");
        std::string value(text_.substr(open + 1, close - open - 1));
        position_ = close + closing.size();
        return value;
    }

    void skipCharacterLiteral() {
        ++position_;
        while (position_ < text_.size() && text_[position_] != '\'') {
            if (text_[position_] == '\\') ++position_;
            ++position_;
        }
        ++position_;
    }

    std::string_view text_;
    std::size_t position_ = 0;
};

bool isPunctuation(const Token& token, std::string_view value) {
    return token.kind == Token::Kind::punctuation && token.value == value;
}

std::string readWhole(const fs::path& path) {
    std::ifstream stream(path, std::ios::binary);
    if (!stream) throw std::runtime_error("cannot read " + path.string());
    std::ostringstream contents;
    contents << stream.rdbuf();
    return contents.str();
}

// Every call of a function named in `names` whose first two arguments are literals.
std::vector<InterfaceTextCollector::Pair> literalPairs(
    std::string_view text, std::initializer_list<std::string_view> names, const fs::path& source) {
    const std::vector<Token> tokens = Tokenizer(text).tokens();
    std::vector<InterfaceTextCollector::Pair> pairs;
    // name ( "english" , "turkish" followed by , or )
    for (std::size_t i = 0; i + 5 < tokens.size(); ++i) {
        const Token& name = tokens[i];
        if (name.kind != Token::Kind::identifier ||
            std::find(names.begin(), names.end(), name.value) == names.end()) {
            continue;
        }
        if (!isPunctuation(tokens[i + 1], "(") || tokens[i + 2].kind != Token::Kind::text ||
            !isPunctuation(tokens[i + 3], ",") || tokens[i + 4].kind != Token::Kind::text) {
            continue;
        }
        if (!isPunctuation(tokens[i + 5], ",") && !isPunctuation(tokens[i + 5], ")")) continue;
        pairs.push_back({tokens[i + 2].value, tokens[i + 4].value, source});
    }
    return pairs;
}

std::vector<fs::path> sourceFilesBelow(const std::vector<fs::path>& folders) {
    std::vector<fs::path> files;
    for (const fs::path& folder : folders) {
        std::error_code error;
        if (!fs::is_directory(folder, error)) continue;
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
            const fs::path& path = entry.path();
            if (entry.is_regular_file() &&
                (path.extension() == ".cpp" || path.extension() == ".hpp")) {
                files.push_back(path);
            }
        }
    }
    // Directory order differs between file systems; the result should not.
    std::sort(files.begin(), files.end());
    return files;
}

template <class Finder>
std::vector<InterfaceTextCollector::Pair> collectBelow(const std::vector<fs::path>& folders,
                                                       Finder find) {
    std::vector<InterfaceTextCollector::Pair> pairs;
    for (const fs::path& file : sourceFilesBelow(folders)) {
        std::vector<InterfaceTextCollector::Pair> found = find(readWhole(file), file);
        pairs.insert(pairs.end(), std::make_move_iterator(found.begin()),
                     std::make_move_iterator(found.end()));
    }
    return pairs;
}

}  // namespace

std::vector<InterfaceTextCollector::Pair> InterfaceTextCollector::pairsInSource(
    std::string_view text, const fs::path& source) {
    return literalPairs(text, {"t", "resolve"}, source);
}

std::vector<InterfaceTextCollector::Pair> InterfaceTextCollector::pairsBelow(
    const std::vector<fs::path>& folders) {
    return collectBelow(folders, &pairsInSource);
}

std::vector<InterfaceTextCollector::Pair> InterfaceTextCollector::countPatternsInSource(
    std::string_view text, const fs::path& source) {
    return literalPairs(text, {"countText"}, source);
}

std::vector<InterfaceTextCollector::Pair> InterfaceTextCollector::countPatternsBelow(
    const std::vector<fs::path>& folders) {
    return collectBelow(folders, &countPatternsInSource);
}

}  // namespace kelvane::testing

#include "capture/comma_text.h"

namespace zn {
namespace {

bool isBlank(unsigned char byte) {
    return byte >= 1 && byte <= 32;
}

// The length of the character that starts at position: a well-formed UTF-8
// sequence is one character; any other byte stands alone, so a stray lead
// byte can never swallow the quote or comma after it.
std::size_t characterLength(std::string_view text, std::size_t position) {
    const auto lead = static_cast<unsigned char>(text[position]);
    std::size_t length = 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    if (position + length > text.size()) return 1;
    for (std::size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(text[position + i]) & 0xC0) != 0x80) return 1;
    return length;
}

class CommaTextReader {
public:
    explicit CommaTextReader(std::string_view text) : text_(text.substr(0, text.find('\0'))) {}

    std::vector<std::string> items() {
        std::vector<std::string> result;
        skipBlanks();
        while (!atEnd()) {
            result.push_back(peek() == '"' ? quotedItem() : plainItem());
            skipBlanks();
            if (!atEnd() && peek() == ',') {
                ++position_;
                skipBlanks();
            }
        }
        return result;
    }

private:
    bool atEnd() const { return position_ >= text_.size(); }
    unsigned char peek() const { return static_cast<unsigned char>(text_[position_]); }
    void skipBlanks() {
        while (!atEnd() && isBlank(peek())) ++position_;
    }
    std::string_view takeCharacter() {
        const std::size_t length = characterLength(text_, position_);
        const std::string_view character = text_.substr(position_, length);
        position_ += length;
        return character;
    }

    // Runs to the next quote that is not doubled; without one, to the end.
    std::string quotedItem() {
        std::string item;
        ++position_;
        while (!atEnd()) {
            if (peek() == '"') {
                ++position_;
                if (atEnd() || peek() != '"') return item;
                ++position_;
                item += '"';
                continue;
            }
            item += takeCharacter();
        }
        return item;
    }

    std::string plainItem() {
        std::string item;
        while (!atEnd() && peek() > 32 && peek() != ',') item += takeCharacter();
        return item;
    }

    std::string_view text_;
    std::size_t position_ = 0;
};

}  // namespace

std::vector<std::string> readCommaText(std::string_view text) {
    return CommaTextReader(text).items();
}

}  // namespace zn

#include "platform/linux/json_reader.h"

#include <algorithm>
#include <limits>

#include "platform/utf8.h"

namespace zn {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Steps through one text, checking each value as it goes; every step moves
// forward, so a walk is linear in the bytes it covers.
class JsonCursor {
public:
    // Walks the document from one position up to another.
    JsonCursor(std::string_view document, std::size_t from, std::size_t to,
               const std::vector<JsonExtent>* extents = nullptr)
        : text_(document.substr(0, to)), at_(from), extents_(extents) {}

    std::size_t at() const { return at_; }
    bool atEnd() const { return at_ == text_.size(); }
    char peek() const { return atEnd() ? '\0' : text_[at_]; }

    void skipBlanks() {
        while (!atEnd() && isBlank(text_[at_])) ++at_;
    }

    bool take(char expected) {
        skipBlanks();
        if (peek() != expected) return false;
        ++at_;
        return true;
    }

    // One value and everything inside it, without recursion: the open
    // arrays and objects are kept as a stack of their opening brackets.
    // The extent of each array or object of at least kNotedExtent bytes is
    // added to large, inner ones before the ones around them.
    bool skipValue(std::size_t maxDepth, std::vector<JsonExtent>& large) {
        std::string open;
        std::vector<std::size_t> starts;
        for (;;) {
            skipBlanks();
            const char c = peek();
            if (c == '[' || c == '{') {
                if (open.size() == maxDepth) return false;
                open += c;
                starts.push_back(at_);
                ++at_;
                skipBlanks();
                if (peek() == (c == '[' ? ']' : '}')) {
                    ++at_;
                    open.pop_back();
                    starts.pop_back();
                } else {
                    if (c == '{' && !memberName(nullptr)) return false;
                    continue;
                }
            } else if (!scalar()) {
                return false;
            }
            // After a value: close what it ends, or go on to the next one.
            for (;;) {
                if (open.empty()) return true;
                skipBlanks();
                const char next = peek();
                if (next == (open.back() == '[' ? ']' : '}')) {
                    ++at_;
                    open.pop_back();
                    if (at_ - starts.back() >= kNotedExtent) large.push_back({starts.back(), at_});
                    starts.pop_back();
                    continue;
                }
                if (next != ',') return false;
                ++at_;
                if (open.back() == '{' && !memberName(nullptr)) return false;
                break;
            }
        }
    }

    // One value of a text already found valid: only strings and brackets
    // need watching, which makes the walks after the check cheap.
    void skipValidValue() {
        const std::size_t end = text_.size();
        if (extents_ && at_ < end && (text_[at_] == '[' || text_[at_] == '{')) {
            // Walks go forward, so the extents before this one are done with.
            while (nextExtent_ < extents_->size() && (*extents_)[nextExtent_].start < at_)
                ++nextExtent_;
            if (nextExtent_ < extents_->size() && (*extents_)[nextExtent_].start == at_) {
                at_ = (*extents_)[nextExtent_].end;
                return;
            }
        }
        std::size_t depth = 0;
        do {
            if (at_ >= end) return;
            switch (text_[at_]) {
                case '"':
                    for (++at_; at_ < end && text_[at_] != '"'; ++at_) {
                        if (text_[at_] == '\\') ++at_;
                    }
                    at_ = std::min(end, at_ + 1);
                    break;
                case '[':
                case '{':
                    ++depth;
                    ++at_;
                    break;
                case ']':
                case '}':
                    --depth;
                    ++at_;
                    break;
                default:
                    // A number or a word ends at what follows it; inside a
                    // container the walk goes on to the closing bracket.
                    ++at_;
                    while (depth == 0 && at_ < end && !isBlank(text_[at_]) && text_[at_] != ',' &&
                           text_[at_] != ']' && text_[at_] != '}')
                        ++at_;
                    break;
            }
        } while (depth > 0);
    }

    // A member's name and its colon; the name read into text when given.
    bool memberName(std::string* text) {
        skipBlanks();
        if (text) text->clear();
        return string(text) && take(':');
    }

    // A string at the cursor, its text read into out when given.
    bool string(std::string* out) {
        if (peek() != '"') return false;
        ++at_;
        for (;;) {
            const std::size_t runStart = at_;
            while (!atEnd()) {
                const auto c = static_cast<unsigned char>(text_[at_]);
                if (c == '"' || c == '\\' || c < 0x20 || c >= 0x80) break;
                ++at_;
            }
            if (out) out->append(text_.substr(runStart, at_ - runStart));
            if (atEnd()) return false;
            const auto c = static_cast<unsigned char>(text_[at_]);
            if (c == '"') {
                ++at_;
                return true;
            }
            if (c < 0x20) return false;
            if (c == '\\') {
                if (!escape(out)) return false;
            } else if (!utf8Character(out)) {
                return false;
            }
        }
    }

private:
    bool scalar() {
        switch (peek()) {
            case '"':
                return string(nullptr);
            case 't':
                return word("true");
            case 'f':
                return word("false");
            case 'n':
                return word("null");
            default:
                return number();
        }
    }

    bool word(std::string_view expected) {
        if (text_.substr(at_, expected.size()) != expected) return false;
        at_ += expected.size();
        return true;
    }

    bool digits() {
        const std::size_t start = at_;
        while (!atEnd() && isDigit(text_[at_])) ++at_;
        return at_ > start;
    }

    bool number() {
        if (peek() == '-') ++at_;
        if (peek() == '0') {
            ++at_;
        } else if (!digits()) {
            return false;
        }
        if (peek() == '.') {
            ++at_;
            if (!digits()) return false;
        }
        if (peek() == 'e' || peek() == 'E') {
            ++at_;
            if (peek() == '+' || peek() == '-') ++at_;
            if (!digits()) return false;
        }
        return true;
    }

    std::optional<char32_t> hexUnit() {
        if (text_.size() - at_ < 4) return std::nullopt;
        char32_t unit = 0;
        for (int i = 0; i < 4; ++i) {
            const int value = hexValue(text_[at_ + std::size_t(i)]);
            if (value < 0) return std::nullopt;
            unit = (unit << 4) | char32_t(value);
        }
        at_ += 4;
        return unit;
    }

    // After the backslash; a surrogate must come as a high and low pair.
    bool escape(std::string* out) {
        ++at_;
        const char c = peek();
        ++at_;
        char plain = 0;
        switch (c) {
            case '"':
                plain = '"';
                break;
            case '\\':
                plain = '\\';
                break;
            case '/':
                plain = '/';
                break;
            case 'b':
                plain = '\b';
                break;
            case 'f':
                plain = '\f';
                break;
            case 'n':
                plain = '\n';
                break;
            case 'r':
                plain = '\r';
                break;
            case 't':
                plain = '\t';
                break;
            case 'u': {
                auto unit = hexUnit();
                if (!unit || (*unit >= 0xDC00 && *unit <= 0xDFFF)) return false;
                if (*unit >= 0xD800 && *unit <= 0xDBFF) {
                    if (!word("\\u")) return false;
                    const auto low = hexUnit();
                    if (!low || *low < 0xDC00 || *low > 0xDFFF) return false;
                    unit = 0x10000 + ((*unit - 0xD800) << 10) + (*low - 0xDC00);
                }
                if (out) appendUtf8(*out, *unit);
                return true;
            }
            default:
                return false;
        }
        if (out) *out += plain;
        return true;
    }

    // One character of two to four bytes: no overlong form, no surrogate,
    // nothing past U+10FFFF.
    bool utf8Character(std::string* out) {
        const auto byte = [this](std::size_t i) {
            return static_cast<unsigned char>(text_[at_ + i]);
        };
        const unsigned char lead = byte(0);
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        } else {
            return false;
        }
        if (text_.size() - at_ < length || byte(1) < low || byte(1) > high) return false;
        for (std::size_t i = 2; i < length; ++i) {
            if (byte(i) < 0x80 || byte(i) > 0xBF) return false;
        }
        if (out) out->append(text_.substr(at_, length));
        at_ += length;
        return true;
    }

    std::string_view text_;
    std::size_t at_ = 0;
    const std::vector<JsonExtent>* extents_ = nullptr;
    std::size_t nextExtent_ = 0;
};

// Where a view into the document starts.
std::size_t offsetIn(std::string_view document, std::string_view part) {
    return std::size_t(part.data() - document.data());
}

}  // namespace

std::optional<JsonText> JsonText::read(std::string_view text, std::size_t maxDepth) {
    JsonText read;
    read.text_ = text;
    JsonCursor cursor(text, 0, text.size());
    if (!cursor.skipValue(maxDepth, read.extents_)) return std::nullopt;
    cursor.skipBlanks();
    if (!cursor.atEnd()) return std::nullopt;
    std::sort(
        read.extents_.begin(), read.extents_.end(),
        [](const JsonExtent& left, const JsonExtent& right) { return left.start < right.start; });
    return read;
}

std::string_view JsonText::value() const {
    const std::size_t first = text_.find_first_not_of(" \t\n\r");
    const std::size_t last = text_.find_last_not_of(" \t\n\r");
    return text_.substr(first, last - first + 1);
}

std::vector<std::optional<std::string_view>> JsonText::members(
    std::string_view object, std::initializer_list<std::string_view> names) const {
    std::vector<std::optional<std::string_view>> values(names.size());
    const std::size_t from = offsetIn(text_, object);
    JsonCursor cursor(text_, from, from + object.size(), &extents_);
    if (!cursor.take('{') || cursor.take('}')) return values;
    std::string name;
    do {
        if (!cursor.memberName(&name)) return values;
        cursor.skipBlanks();
        const std::size_t start = cursor.at();
        cursor.skipValidValue();
        std::size_t which = 0;
        for (const auto wanted : names) {
            if (name == wanted) values[which] = text_.substr(start, cursor.at() - start);
            ++which;
        }
    } while (cursor.take(','));
    return values;
}

void JsonText::forEachElement(std::string_view array,
                              const std::function<bool(std::string_view)>& visit) const {
    const std::size_t from = offsetIn(text_, array);
    JsonCursor cursor(text_, from, from + array.size(), &extents_);
    if (!cursor.take('[') || cursor.take(']')) return;
    do {
        cursor.skipBlanks();
        const std::size_t start = cursor.at();
        cursor.skipValidValue();
        if (!visit(text_.substr(start, cursor.at() - start))) return;
    } while (cursor.take(','));
}

std::optional<std::string_view> JsonText::elementOrLast(std::string_view array,
                                                        std::size_t index) const {
    std::optional<std::string_view> element;
    std::size_t position = 0;
    forEachElement(array, [&](std::string_view value) {
        element = value;
        return position++ < index;
    });
    return element;
}

bool jsonValid(std::string_view text, std::size_t maxDepth) {
    return JsonText::read(text, maxDepth).has_value();
}

std::optional<std::string> jsonString(std::optional<std::string_view> value) {
    if (!value) return std::nullopt;
    JsonCursor cursor(*value, 0, value->size());
    std::string text;
    if (!cursor.string(&text)) return std::nullopt;
    return text;
}

std::optional<std::int64_t> jsonInteger(std::optional<std::string_view> value) {
    if (!value || value->empty()) return std::nullopt;
    const bool negative = value->front() == '-';
    const std::string_view digits = value->substr(negative ? 1 : 0);
    if (digits.empty()) return std::nullopt;
    // Counted towards zero, so the most negative value needs no special case.
    std::int64_t number = 0;
    for (const char c : digits) {
        if (!isDigit(c)) return std::nullopt;
        const int digit = c - '0';
        if (negative) {
            number = number < (std::numeric_limits<std::int64_t>::min() + digit) / 10
                         ? std::numeric_limits<std::int64_t>::min()
                         : number * 10 - digit;
        } else {
            number = number > (std::numeric_limits<std::int64_t>::max() - digit) / 10
                         ? std::numeric_limits<std::int64_t>::max()
                         : number * 10 + digit;
        }
    }
    return number;
}

}  // namespace zn

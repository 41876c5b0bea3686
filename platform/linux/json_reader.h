// A JSON reader for the few members the browser readers look at. It walks
// the text where it lies and builds nothing, so reading any text costs
// memory for its nesting only, and a text nested deeper than kMaxJsonDepth
// is refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zn {

// Far deeper than any browser file nests (a page's frames inside frames).
inline constexpr std::size_t kMaxJsonDepth = 512;

// Arrays and objects at least this long are noted when a text is read, so
// that the walks after it step over them at once.
inline constexpr std::size_t kNotedExtent = 64u << 10;

struct JsonExtent {
    std::size_t start;
    std::size_t end;
};

// One JSON text (RFC 8259, strings in UTF-8), with blanks around it, nested
// at most maxDepth arrays and objects deep. Reading it checks it once; the
// walks below then cost no more than the bytes they step over outside the
// long arrays and objects, each of which they pass in one step. The text
// must outlive it.
class JsonText {
public:
    static std::optional<JsonText> read(std::string_view text,
                                        std::size_t maxDepth = kMaxJsonDepth);

    // The whole value, without the blanks around it.
    std::string_view value() const;

    // The functions below take views of values inside this text.

    // The text of each named member's value, in the order of the names, when
    // the value is an object; where a name occurs twice the last one counts.
    std::vector<std::optional<std::string_view>> members(
        std::string_view object, std::initializer_list<std::string_view> names) const;

    // Calls visit with the text of each element of an array, in order, until
    // it returns false. Nothing when the value is not an array.
    void forEachElement(std::string_view array,
                        const std::function<bool(std::string_view)>& visit) const;

    // The element at index, the last one when there are fewer; nothing when
    // the value is no array or an empty one.
    std::optional<std::string_view> elementOrLast(std::string_view array, std::size_t index) const;

private:
    std::string_view text_;
    std::vector<JsonExtent> extents_;  // by where they start
};

// True when JsonText::read takes the text.
bool jsonValid(std::string_view text, std::size_t maxDepth = kMaxJsonDepth);

// A string's text with its escapes read; nothing for any other value.
std::optional<std::string> jsonString(std::optional<std::string_view> value);

// A number written without fraction or exponent; one beyond the 64-bit
// range reads as the nearest end of it. Nothing for any other value.
std::optional<std::int64_t> jsonInteger(std::optional<std::string_view> value);

}  // namespace zn

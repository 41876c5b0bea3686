// Internet shortcut texts and the address the profile-string reader finds in
// each, read by the plain reader and by the system's own alike.
#pragma once

#include <string>
#include <vector>

namespace zn::testing {

struct ShortcutCase {
    const char* what;
    std::string file;
    std::string expected;
};

inline std::vector<ShortcutCase> shortcutCases() {
    using namespace std::string_literals;
    const std::string long1500(1500, 'x');
    const std::string accents = std::string(1022, 'a') + "\xC3\xA9";  // é across the limit
    return {
        {"plain", "[InternetShortcut]\r\nURL=http://a.example/\r\n", "http://a.example/"},
        {"names in any case", "[internetshortcut]\nurl=http://b.example/", "http://b.example/"},
        {"blanks around names and value",
         "  [ InternetShortcut ]  \n\t URL \t=  http://c.example/ \t\n", "http://c.example/"},
        {"matching double quotes go", "[InternetShortcut]\nURL=\"http://d.example/\"\n",
         "http://d.example/"},
        {"matching single quotes go", "[InternetShortcut]\nURL='http://e.example/'\n",
         "http://e.example/"},
        {"unmatched quotes stay", "[InternetShortcut]\nURL=\"http://f.example/'\n",
         "\"http://f.example/'"},
        {"a lone quote stays", "[InternetShortcut]\nURL=\"\n", "\""},
        {"equals signs in the value", "[InternetShortcut]\nURL=http://g.example/?a=1&b=2\n",
         "http://g.example/?a=1&b=2"},
        {"first key of the name", "[InternetShortcut]\nURL=http://first/\nURL=http://second/\n",
         "http://first/"},
        {"only the first section of the name",
         "[InternetShortcut]\nIconIndex=0\n[Other]\nURL=x\n[InternetShortcut]\nURL=http://late/\n",
         ""},
        {"key of another section", "[DEFAULT]\nURL=http://base/\n[InternetShortcut]\n", ""},
        {"key before any section", "URL=http://none/\n[InternetShortcut]\nX=1\n", ""},
        {"key without equals sign", "[InternetShortcut]\nURL\n", ""},
        {"lone CR line breaks", "[InternetShortcut]\rURL=http://h.example/\rX=1",
         "http://h.example/"},
        {"byte-order mark", "\xEF\xBB\xBF[InternetShortcut]\nURL=http://i.example/",
         "http://i.example/"},
        {"section line with a comment after it", "[InternetShortcut] ; note\nURL=http://j/",
         "http://j/"},
        {"zero byte ends the text", "[InternetShortcut]\nURL=http://k/\0more"s, "http://k/"},
        {"1500 characters give 1023", "[InternetShortcut]\nURL=" + long1500,
         long1500.substr(0, 1023)},
        {"never cut inside a character", "[InternetShortcut]\nURL=" + accents,
         std::string(1022, 'a')},
        {"binary junk", "\x89PNG\r\n\x1a\n\0\0\0\rIHDR"s, ""},
    };
}

}  // namespace zn::testing

#include "tests/fakes/fake_ports.h"

#include <gtest/gtest.h>

#include <cctype>

namespace zn::testing {

void FakeMessageBoxes::failUnscriptedQuestion(const std::string& text) {
    ADD_FAILURE() << "no answer was scripted for the question \"" << text << '"';
}

bool ByteCollation::equalIgnoringCase(const std::string& a, const std::string& b) const {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string ByteCollation::sortKeyIgnoringCase(const std::string& text) const {
    std::string key = text;
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

}  // namespace zn::testing
